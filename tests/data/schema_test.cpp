// A new data folder holds every table of the catalogue as the engine reads it
// back: fields, types, widths, keys, indexes, seed rows and the postcode list.
#include "TestFolders.h"
#include "data/Schema.h"

#include <QSet>
#include <QSqlQuery>
#include <QtTest>
#include <memory>

using namespace orvix;
using namespace orvix::data;

class SchemaTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }
    // Type and width of one field as the engine reads them back: "CHAR(50)".
    QString declared(const QString& table, const QString& field) {
        const FieldInfo info = db().fieldInfo(table, field);
        return info.width ? QStringLiteral("%1(%2)").arg(info.type).arg(info.width) : info.type;
    }

private Q_SLOTS:
    void initTestCase() { m_folder = std::make_unique<test::TempDataFolder>(); }
    void cleanupTestCase() { m_folder.reset(); }

    // Every table of the catalogue, with its fields in order, their types and
    // widths and its primary key, as the engine reports them.
    void everyTableAsCatalogued() {
        for (const TableDef& t : catalogue()) {
            const QString table = QLatin1String(t.name);
            QVERIFY2(db().hasTable(table), qPrintable(table));
            QStringList expected;
            for (const FieldDef& f : t.fields)
                expected << QLatin1String(f.name);
            QCOMPARE(db().fieldNames(table), expected);
            for (const FieldDef& f : t.fields) {
                const FieldInfo info = db().fieldInfo(table, QLatin1String(f.name));
                QVERIFY2(
                    info.type == typeName(f.type) && info.width == f.width,
                    qPrintable(
                        QStringLiteral("%1.%2: %3 %4").arg(table, info.name, info.type).arg(info.width)));
            }
            QStringList key;
            for (const char* k : t.primaryKey)
                key << QLatin1String(k);
            QStringList readKey;
            QSqlQuery q = db().select(QStringLiteral("SELECT name FROM pragma_table_info('%1') WHERE pk > 0 "
                                                     "ORDER BY pk")
                                          .arg(table));
            while (q.next())
                readKey << q.value(0).toString();
            QCOMPARE(readKey, key);
        }
    }

    void fieldTypes_data() {
        QTest::addColumn<QString>("type");
        QTest::newRow("szla.szla") << QStringLiteral("AUTOINC");
        QTest::newRow("szla.ugyfel_nev") << QStringLiteral("CHAR(50)");
        QTest::newRow("szla.kuldve") << QStringLiteral("BOOLEAN");
        QTest::newRow("szla.hmegj") << QStringLiteral("MEMO");
        QTest::newRow("szla.tkerulet") << QStringLiteral("VARCHAR(10)");
        QTest::newRow("szla.dat_kiadva") << QStringLiteral("DATE");
        QTest::newRow("szla.tulajdonos") << QStringLiteral("CHAR(100)");
        QTest::newRow("ugyfel_cim.nev") << QStringLiteral("CHAR(100)");
        QTest::newRow("ugyfel.emil") << QStringLiteral("CHAR(75)");
        QTest::newRow("cikkszam.hnossz") << QStringLiteral("FLOAT");
        QTest::newRow("prntip.prntip_nev") << QStringLiteral("CHAR(30)");
        QTest::newRow("beallit.printerutv") << QStringLiteral("CHAR(150)");
        QTest::newRow("beallit.ALAPSZALLHAT") << QStringLiteral("INT");
        QTest::newRow("felhasznalo.iras") << QStringLiteral("BOOLEAN");
        QTest::newRow("irsz.varos") << QStringLiteral("TEXT");
    }
    void fieldTypes() {
        QFETCH(QString, type);
        const QStringList name = QString::fromLatin1(QTest::currentDataTag()).split(QLatin1Char('.'));
        QCOMPARE(declared(name.at(0), name.at(1)), type);
    }

    // Field lists typed out independently of the catalogue, to catch slips in it.
    void writtenOutTables_data() {
        QTest::addColumn<QString>("fields");
        QTest::newRow("cassa") << QStringLiteral(
            "cassa AUTOINC, cassak INT, bizszam INT, datum DATE, cassatip CHAR(1), osszeg FLOAT, penzvan "
            "FLOAT, "
            "mozgas INT, mozgaz INT, prntip CHAR(1), szla CHAR(1), torol CHAR(1), ugyfel_nev CHAR(50), "
            "megjegyzes CHAR(50)");
        QTest::newRow("szla_sor") << QStringLiteral(
            "szla INT, sor INT, tipus CHAR(1), cikkszam CHAR(15), cikkszam_nev CHAR(50), vtsz CHAR(15), "
            "mert CHAR(25), db FLOAT, afakulcs FLOAT, egysar FLOAT, netto FLOAT, afa FLOAT, brutto FLOAT, "
            "netto0 FLOAT, afa0 FLOAT, brutto0 FLOAT, netto12 FLOAT, afa12 FLOAT, brutto12 FLOAT, netto25 "
            "FLOAT, "
            "afa25 FLOAT, brutto25 FLOAT, datum DATE, megjegyzes CHAR(255), tm FLOAT, eloleg CHAR(1), "
            "kozv_szolgaltatas CHAR(1), kulonb_szer_szab INT");
        QTest::newRow("fiztip") << QStringLiteral(
            "fiztip AUTOINC, fiztip_nev CHAR(15), fizetve CHAR(1), fizhat INT, "
            "kellkerek CHAR(1), cassak INT, konyvelokod CHAR(1)");
        QTest::newRow("tulajdonos") << QStringLiteral(
            "tulajdonos CHAR(50), telefon CHAR(25), mobil CHAR(25), fax CHAR(25), irsz CHAR(5), varos "
            "CHAR(25), "
            "cim CHAR(50), adoszam CHAR(11), bankszamlaszam CHAR(24), vallig CHAR(30), kozadoszam CHAR(30), "
            "engedelyszam CHAR(20), iban CHAR(50), swift CHAR(50), felir CHAR(50), kerulet CHAR(10), "
            "kozterulet VARCHAR(15), hazszam VARCHAR(15), epulet VARCHAR(15), lepcsohaz VARCHAR(15), "
            "szint VARCHAR(15), ajto VARCHAR(15), vallignev VARCHAR(50)");
        QTest::newRow("minta_sor") << QStringLiteral(
            "minta INT, sor INT, cikkszam CHAR(15), kellcikkar CHAR(1), "
            "ar FLOAT, db FLOAT, megjegyzes CHAR(255)");
        QTest::newRow("naplo") << QStringLiteral(
            "naplo AUTOINC, felhasznalo CHAR(15), datum DATE, sikeres BOOLEAN");
    }
    void writtenOutTables() {
        QFETCH(QString, fields);
        const QString table = QString::fromLatin1(QTest::currentDataTag());
        QStringList read;
        for (const QString& f : db().fieldNames(table))
            read << f + QLatin1Char(' ') + declared(table, f);
        QCOMPARE(read.join(QStringLiteral(", ")), fields);
    }

    void indexes() {
        // Index names are global in one database: no two may share one.
        QSet<QString> names;
        for (const TableDef& t : catalogue())
            for (const IndexDef& i : t.indexes) {
                const QString name = QLatin1String(i.name);
                QVERIFY2(!names.contains(name), qPrintable(name));
                names.insert(name);
                QCOMPARE(
                    db().queryText(QStringLiteral("SELECT tbl_name FROM sqlite_master WHERE type='index' "
                                                  "AND name=?"),
                                   QString(), {name}),
                    QLatin1String(t.name));
            }
        const QStringList named{
            "idx_szla",          "idx_ugyfel_nev",     "idx_cim_cim",       "idx_irsz",
            "idx_nev",           "idx_cikkszam_nev",   "idx_brutto",        "idx_kellkerek",
            "idx_prntip_nev2",   "idx_cassak_nev",     "idx_kategoria_nev", "idx_szj_nev",
            "idx_rendszergazda", "idx_irsz_irsz",      "idx_szla_ugyfel",   "idx_ugyfel_cim_ugyfel",
            "idx_cassa_cassak",  "idx_szla_dat_kiadva"};
        for (const QString& n : named)
            QVERIFY2(names.contains(n), qPrintable(n));
        const QString szlaIndex = db().queryText(
            QStringLiteral("SELECT sql FROM sqlite_master WHERE type='index' AND name='idx_szla'"),
            QString());
        QVERIFY2(szlaIndex.contains(QLatin1String("DESC")), qPrintable(szlaIndex));
        // ugyfel's indexes in the listed order (their creation order numbers them)
        QSqlQuery q = db().select(QStringLiteral("SELECT name FROM sqlite_master WHERE type='index' AND "
                                                 "tbl_name='ugyfel' AND sql IS NOT NULL ORDER BY rowid"));
        QStringList ugyfel;
        while (q.next())
            ugyfel << q.value(0).toString();
        QCOMPARE(ugyfel, (QStringList{"idx_ugyfel_nev", "idx_kapcsolat", "idx_telefon", "idx_mobil",
                                      "idx_emil", "idx_kedvezmeny", "idx_ugyfelkod", "idx_cim_irsz",
                                      "idx_cim_varos", "idx_cim_cim"}));
    }

    void seedRows_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("expected");
        QTest::newRow("vat") << "SELECT group_concat(vat, ',') FROM (SELECT vat FROM vat ORDER BY rowid)"
                             << "HUF,EUR,USD";
        QTest::newRow("cassak") << "SELECT cassak || ' ' || cassak_nev || ' ' || vat FROM cassak"
                                << "0 Alap kassza HUF";
        QTest::newRow("cassatip")
            << "SELECT group_concat(cassatip || cassatip_nev || szorzo, ';') FROM "
               "(SELECT * FROM cassatip ORDER BY cassatip)"
            << "BBevétel eladásból1;CKp berakás1;KKiadás beszerzésből-1;PKp kivét-1;VKiadás visszavétből-1";
        QTest::newRow("prntip J")
            << "SELECT prntip_nev || '|' || szorzo || '|' || navkod || '|' || osszegszoveg "
               "FROM prntip WHERE prntip='J'"
            << "Helyesbítő számla|-1.0|3|Jóváírásra került";
        QTest::newRow("prntip W")
            << "SELECT prntip_nev || '|' || tipus || '|' || szorzo || '|' || navkod || '|' "
               "|| evanev FROM prntip WHERE prntip='W'"
            << "Számlát érvénytelenítő okirat|1|-1.0|4|Sztornó";
        QTest::newRow("prntip S")
            << "SELECT prntip_nev1 || '|' || evanev || '|' || osszegszoveg || '|' || navkod "
               "FROM prntip WHERE prntip='S'"
            << "Invoice|Ellenérték|Fizetendő|1";
        QTest::newRow("prntip letters") << "SELECT group_concat(prntip, '') FROM "
                                           "(SELECT prntip FROM prntip ORDER BY prntip)"
                                        << "EJMPSVW";
        QTest::newRow("fiztip cash")
            << "SELECT fiztip || fizetve || fizhat || kellkerek || cassak || konyvelokod "
               "FROM fiztip WHERE fiztip_nev='Készpénz'"
            << "1I0I0K";
        QTest::newRow("fiztip transfer") << "SELECT fizetve || fizhat || kellkerek FROM fiztip WHERE fiztip=2"
                                         << "N8N";
        QTest::newRow("tulajdonos") << "SELECT count(*) || '[' || min(tulajdonos) || ']' FROM tulajdonos"
                                    << "1[]";
        QTest::newRow("beallit")
            << "SELECT count(*) || belepjelszo || formatft || szlabetu || folytsorszam || "
               "garimegjegyzes FROM beallit"
            << "1N### ### ##0SAI<garancia megjegyzés>";
        QTest::newRow("beallit rates")
            << "SELECT alapafakulcs || '/' || afa0 || '/' || afa1 || '/' || afa2 || '/' "
               "|| alapfiztip FROM beallit"
            << "27.0/27.0/18.0/5.0/1";
        QTest::newRow("mert") << "SELECT count(*) FROM mert WHERE mert IN ('db', 'óra', 'pár')"
                              << "3";
    }
    void seedRows() {
        QFETCH(QString, query);
        QFETCH(QString, expected);
        QCOMPARE(db().queryText(query, QStringLiteral("<none>")), expected);
    }

    // No seed value may be cut by its field's width (the engine would not).
    void seedValuesFitTheirFields() {
        for (const TableDef& t : catalogue())
            for (const SeedRow& r : t.seeds)
                for (int i = 0; i < r.fields.size(); ++i) {
                    const FieldDef* f = t.field(r.fields.at(i));
                    QVERIFY2(f, qPrintable(r.fields.at(i)));
                    if (f->type == FieldType::Char || f->type == FieldType::VarChar)
                        QVERIFY2(
                            r.values.at(i).toString().size() <= f->width,
                            qPrintable(QStringLiteral("%1.%2").arg(QLatin1String(t.name), r.fields.at(i))));
                }
    }

    void postcodes() {
        QCOMPARE(db().queryInt(QStringLiteral("SELECT count(*) FROM irsz"), -1), qint64(3574));
        QCOMPARE(db().queryText(QStringLiteral("SELECT varos FROM irsz WHERE irsz='1138'"), QString()),
                 QStringLiteral("Budapest"));
        QVERIFY(findTable(QStringLiteral("IRSZ"))->lookupOnly);
    }

    void autoincKeysIncrease() {
        db().execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev) VALUES ('Első')"));
        db().execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev) VALUES ('Második')"));
        const qint64 last = db().queryInt(QStringLiteral("SELECT max(ugyfel) FROM ugyfel"), 0);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT ugyfel FROM ugyfel WHERE ugyfel_nev='Első'"), 0),
                 last - 1);
        // a deleted key is never handed out again
        db().execSql(QStringLiteral("DELETE FROM ugyfel WHERE ugyfel=?"), {last});
        db().execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev) VALUES ('Harmadik')"));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT ugyfel FROM ugyfel WHERE ugyfel_nev='Harmadik'"), 0),
                 last + 1);
        // seeded keys count: a new payment method follows the three seeded ones
        db().execSql(QStringLiteral("INSERT INTO fiztip (fiztip_nev) VALUES ('Utánvét')"));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT fiztip FROM fiztip WHERE fiztip_nev='Utánvét'"), 0),
                 qint64(4));
    }

    void compositeKeyRefusesDuplicates() {
        db().execSql(QStringLiteral("INSERT INTO szla_sor (szla, sor) VALUES (1, 1)"));
        QVERIFY_THROWS_EXCEPTION(
            DbError, db().execSql(QStringLiteral("INSERT INTO szla_sor (szla, sor) VALUES (1, 1)")));
        db().execSql(QStringLiteral("INSERT INTO szla_sor (szla, sor) VALUES (1, 2)"));
    }
};

QTEST_GUILESS_MAIN(SchemaTest)
#include "schema_test.moc"
