// The version change on data folders of older layouts: the result equals a
// new folder (tables, fields, types, widths, keys, indexes) with every row
// and value kept; a second run changes nothing; an error or a folder in use
// leaves the folder exactly as it was.
#include "OldLayouts.h"
#include "TestFolders.h"
#include "data/Schema.h"
#include "maintenance/Restructure.h"
#include "maintenance/Upgrade.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvix;
using namespace orvix::maintenance;

namespace {

struct Recorder : Reporter {
    QStringList warnings, errors, steps;
    void warning(const QString& t) override { warnings << t; }
    void error(const QString& t) override { errors << t; }
    void step(const QString& t) override { steps << t; }
};

QString u(const char* s) {
    return QString::fromUtf8(s);
}

// Inserts the values whose fields the table has.
void insert(Database& db, const QString& table, const QVariantMap& row) {
    QStringList names, marks;
    QVariantList values;
    for (auto it = row.cbegin(); it != row.cend(); ++it)
        if (db.hasField(table, it.key())) {
            names << it.key();
            marks << QStringLiteral("?");
            values << it.value();
        }
    db.execSql(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, names.join(','), marks.join(',')), values);
}

void fill(Database& db, bool issuerSnapshot) {
    Database::Transaction tr(db);
    db.execSql(u("UPDATE tulajdonos SET tulajdonos='Árvíztűrő Tükörfúró Kft', irsz='1111', varos='Győr', "
                 "kozadoszam='HU123', vallig='Kis Éva'"));
    for (int i = 1; i <= 40; ++i)
        insert(db, QStringLiteral("ugyfel"),
               {{QStringLiteral("ugyfel"), i},
                {QStringLiteral("ugyfel_nev"), u("Őrült Ügyfél %1 árvíztűrő").arg(i)},
                {QStringLiteral("emil"), i % 2 ? QVariant(QStringLiteral("a%1@pelda.hu").arg(i)) : QVariant()},
                {QStringLiteral("telefon"), i % 3 ? QVariant(u("+36 1 %1").arg(i)) : QVariant()},
                {QStringLiteral("kozadoszam"), QStringLiteral("K%1").arg(i)}});
    for (int i = 1; i <= 15; ++i)
        insert(db, QStringLiteral("cikkszam"),
               {{QStringLiteral("cikkszam"), QStringLiteral("C%1").arg(i)},
                {QStringLiteral("cikkszam_nev"), u("Tűzőgép ÁÉŐ %1").arg(i)},
                {QStringLiteral("mert"), QStringLiteral("db")},
                {QStringLiteral("afakulcs"), i % 2 ? 27 : 5},
                {QStringLiteral("netto"), 1000.25 * i},
                {QStringLiteral("eloleg"), QStringLiteral("N")}});
    for (int d = 1; d <= 60; ++d) {
        insert(db, QStringLiteral("szla"),
               {{QStringLiteral("szla"), d},
                {QStringLiteral("prntip"), QStringLiteral("S")},
                {QStringLiteral("szlaszam"), d},
                {QStringLiteral("dat_kiadva"), QStringLiteral("2026-03-%1").arg(1 + d % 28, 2, 10, QChar('0'))},
                {QStringLiteral("ugyfel"), 1 + d % 40},
                {QStringLiteral("ugyfel_nev"), u("Őrült Ügyfél %1 árvíztűrő").arg(1 + d % 40)},
                {QStringLiteral("fizetve"), d % 2 ? QStringLiteral("I") : QStringLiteral("N")},
                {QStringLiteral("fiztip"), 1 + d % 2},
                {QStringLiteral("netto"), 2000.5 * d},
                {QStringLiteral("afa"), 540.135 * d},
                {QStringLiteral("brutto"), 2540.635 * d},
                {QStringLiteral("penzfizetve"), d % 2 ? 2540.635 * d : 0.0},
                {QStringLiteral("vat"), d % 5 ? QStringLiteral("HUF") : QStringLiteral("EUR")},
                {QStringLiteral("afas"), QStringLiteral("I")},
                {QStringLiteral("megjegyzes"), d % 4 ? QVariant(u("Szállítás ő ű %1").arg(d)) : QVariant()},
                {QStringLiteral("tulajdonos"), issuerSnapshot ? QVariant(u("Árvíztűrő Tükörfúró Kft")) : QVariant()}});
        for (int s = 1; s <= 3; ++s)
            insert(db, QStringLiteral("szla_sor"),
                   {{QStringLiteral("szla"), d},
                    {QStringLiteral("sor"), s},
                    {QStringLiteral("cikkszam"), QStringLiteral("C%1").arg(1 + (d + s) % 15)},
                    {QStringLiteral("cikkszam_nev"), u("Tűzőgép ÁÉŐ %1").arg(1 + (d + s) % 15)},
                    {QStringLiteral("mert"), QStringLiteral("db")},
                    {QStringLiteral("db"), s},
                    {QStringLiteral("afakulcs"), 27},
                    {QStringLiteral("netto"), 100.0 * s},
                    {QStringLiteral("netto0"), 0.0},
                    {QStringLiteral("afa0"), 0.0},
                    {QStringLiteral("netto12"), 0.0},
                    {QStringLiteral("afa12"), 0.0},
                    {QStringLiteral("netto25"), 100.0 * s},
                    {QStringLiteral("afa25"), 27.0 * s}});
    }
    tr.commit();
}

// The values of the fields a table has now, keyed by rowid, leaving out
// fields the version change fills on purpose.
QStringList rows(Database& db, const QString& table, const QStringList& fields) {
    static const QSet<QString> refilled = {
        QStringLiteral("kozadoszam"),  QStringLiteral("fiztip_nev"),       QStringLiteral("szlabetu"),
        QStringLiteral("tegyeni"),     QStringLiteral("tvallig"),          QStringLiteral("tvallignev"),
        QStringLiteral("tulajdonos"),  QStringLiteral("tirsz"),            QStringLiteral("tvaros"),
        QStringLiteral("tcim"),        QStringLiteral("tadoszam"),         QStringLiteral("tkozadoszam"),
        QStringLiteral("eloleg"),      QStringLiteral("kozv_szolgaltatas"), QStringLiteral("kulonb_szer_szab")};
    QStringList cols;
    for (const QString& f : fields)
        if (!refilled.contains(f.toLower()))
            cols << f;
    QStringList out;
    QSqlQuery q = db.select(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(cols.join(','), table));
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < cols.size(); ++i)
            cells << (q.value(i).isNull() ? QStringLiteral("NULL") : q.value(i).toString());
        out << cells.join('|');
    }
    return out;
}

QByteArray fileHash(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class UpgradeTest : public QObject {
    Q_OBJECT

private:
    QStringList m_newLayout;

private Q_SLOTS:
    void initTestCase() {
        test::TempDataFolder fresh(QStringLiteral("fresh"));
        m_newLayout = test::describeLayout(fresh.db);
        QVERIFY(m_newLayout.size() > 300);
    }

    // Each older layout (and the oldest lacking every change) becomes the
    // layout of a new folder with every row kept; the second run changes
    // neither layout nor rows.
    void olderLayoutsBecomeNew_data() {
        QTest::addColumn<int>("layout");
        QTest::addColumn<bool>("snapshot");
        const QList<test::OldLayout> layouts = test::oldLayouts();
        for (int i = 0; i < layouts.size(); ++i)
            QTest::newRow(qPrintable(layouts.at(i).name)) << i << true;
        QTest::newRow("oldest") << -1 << false;
        QTest::newRow("oldest, documents without issuer") << -1 << false;
    }
    void olderLayoutsBecomeNew() {
        QFETCH(int, layout);
        QFETCH(bool, snapshot);
        const test::OldLayout old = layout < 0 ? test::oldestLayout() : test::oldLayouts().at(layout);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("Data"));
        QMap<QString, QStringList> before;
        {
            Database db(QStringLiteral("old"));
            test::createOldFolder(db, folder, old);
            fill(db, snapshot);
            QVERIFY(test::describeLayout(db) != m_newLayout);
            for (const QString& t : {QStringLiteral("ugyfel"), QStringLiteral("cikkszam"), QStringLiteral("szla"),
                                     QStringLiteral("szla_sor")})
                before.insert(t, rows(db, t, db.fieldNames(t)));
        }
        Recorder r;
        const UpgradeResult result = upgradeFolder(folder, r);
        QVERIFY2(result.reindex.clean(), qPrintable(r.errors.join('\n')));
        QVERIFY(QFileInfo::exists(result.archive));
        {
            Database db(QStringLiteral("new"));
            db.open(folder);
            const QStringList now = test::describeLayout(db);
            for (const QString& line : m_newLayout)
                QVERIFY2(now.contains(line), qPrintable(QStringLiteral("missing: ") + line));
            for (const QString& line : now)
                QVERIFY2(m_newLayout.contains(line), qPrintable(QStringLiteral("extra: ") + line));
            // The fields each table had before, with their values; the
            // archive copy holds the old layout.
            QTemporaryDir copy;
            QVERIFY(QFile::copy(result.archive, copy.filePath(QStringLiteral("szamla.sqlite3"))));
            Database arch(QStringLiteral("arch"));
            arch.open(copy.path());
            for (auto it = before.cbegin(); it != before.cend(); ++it) {
                const QStringList fields = arch.fieldNames(it.key());
                QCOMPARE(rows(db, it.key(), fields), it.value());
            }
            QCOMPARE(rows(arch, QStringLiteral("szla"), arch.fieldNames(QStringLiteral("szla"))), before.value("szla"));
            QCOMPARE(db.queryText(QStringLiteral("SELECT MIN(tulajdonos) FROM szla"), {}),
                     u("Árvíztűrő Tükörfúró Kft"));
            QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor"), 0), 180);
        }
        Database db(QStringLiteral("twice"));
        db.open(folder);
        const QStringList layout1 = test::describeLayout(db);
        const QStringList rows1 = test::dumpRows(db);
        db.close();
        Recorder second;
        upgradeFolder(folder, second);
        db.open(folder);
        QCOMPARE(test::describeLayout(db), layout1);
        QStringList rows2 = test::dumpRows(db);
        // ANALYZE's statistics may be counted anew; they are no user data.
        const auto noStats = [](QStringList l) {
            l.erase(std::remove_if(l.begin(), l.end(), [](const QString& s) { return s.startsWith("sqlite_stat"); }),
                    l.end());
            return l;
        };
        QCOMPARE(noStats(rows2), noStats(rows1));
        QVERIFY(second.warnings.isEmpty());
    }

    // The version change gives the documents the hand-over flag of their
    // old kuldve mark, so that no document is handed over twice.
    void handOverFlagFromSentMark() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("Data"));
        {
            Database db(QStringLiteral("old"));
            test::createOldFolder(db, folder, {QStringLiteral("hand-over"), {}, {QStringLiteral("szla.atadva")}, {}});
            db.execSql(QStringLiteral("INSERT INTO szla (prntip, szlaszam, kuldve) VALUES ('S', 1, TRUE), "
                                      "('S', 2, FALSE), ('S', 3, NULL)"));
        }
        Recorder r;
        upgradeFolder(folder, r);
        Database db(QStringLiteral("check"));
        db.open(folder);
        QCOMPARE(db.fillItems(QStringLiteral("SELECT atadva FROM szla ORDER BY szlaszam")),
                 (QStringList{"1", "0", "0"}));
    }

    // The edge cases of single steps.
    void singleSteps() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("Data"));
        test::OldLayout l{QStringLiteral("steps"),
                          {},
                          {QStringLiteral("prntip.prntip_nev1"), QStringLiteral("prntip.prntip_nev2"),
                           QStringLiteral("szla.kuldve"), QStringLiteral("beallit.tmszoveg"),
                           QStringLiteral("fiztip.kellkerek"), QStringLiteral("szla.penzfizetve"),
                           QStringLiteral("szla.netto0"), QStringLiteral("szla.afa0"), QStringLiteral("szla.netto1"),
                           QStringLiteral("szla.afa1"), QStringLiteral("szla.netto2"), QStringLiteral("szla.afa2")},
                          {{QStringLiteral("mert.mert"), QStringLiteral("CHAR(10) COLLATE HU")},
                           {QStringLiteral("szla_sor.mert"), QStringLiteral("CHAR(9) COLLATE HU")},
                           {QStringLiteral("prntip.prntip_nev"), QStringLiteral("CHAR(29) COLLATE HU")}}};
        {
            Database db(QStringLiteral("old"));
            test::createOldFolder(db, folder, l);
            fill(db, true);
            db.execSql(QStringLiteral("DELETE FROM prntip WHERE prntip='W'"));
        }
        Recorder r;
        upgradeFolder(folder, r);
        Database db(QStringLiteral("check"));
        db.open(folder);
        QCOMPARE(db.fieldInfo("mert", "mert").width, 10);        // width 10 stays
        QCOMPARE(db.fieldInfo("szla_sor", "mert").width, 25);    // width 9 widened
        QCOMPARE(db.fieldInfo("prntip", "prntip_nev").width, 30); // 29 widened to the catalogue's 30
        QCOMPARE(db.queryText("SELECT prntip_nev1 FROM prntip WHERE prntip='S'", {}), QStringLiteral("Invoice"));
        QCOMPARE(db.queryInt("SELECT COUNT(*) FROM prntip WHERE prntip_nev2 IS NOT prntip_nev AND prntip<>'W'", -1), 0);
        QCOMPARE(db.fieldInfo("szla", "kuldve").type, QStringLiteral("BOOLEAN"));
        QCOMPARE(db.queryInt("SELECT COUNT(*) FROM szla WHERE kuldve IS NOT 0", -1), 0);
        // A missing W row comes back; navkod was there already, so it stays empty.
        QCOMPARE(db.queryInt("SELECT COUNT(*) FROM prntip WHERE prntip='W' AND navkod IS NULL AND szorzo=-1", 0), 1);
        QCOMPARE(db.queryText("SELECT evanev FROM prntip WHERE prntip='W'", {}), u("Sztornó"));
        // Paid documents owe nothing, unpaid ones everything.
        QCOMPARE(db.queryInt("SELECT COUNT(*) FROM szla WHERE fizetve='I' AND penzfizetve<>brutto", -1), 0);
        QCOMPARE(db.queryInt("SELECT COUNT(*) FROM szla WHERE fizetve='N' AND penzfizetve<>0", -1), 0);
        // VAT bands summed from the lines.
        QCOMPARE(db.queryFloat("SELECT netto2 FROM szla WHERE szla=7", 0), 600.0);
        QCOMPARE(db.queryFloat("SELECT afa2 FROM szla WHERE szla=7", 0), 162.0);
        QCOMPARE(r.warnings.size(), 2);
        QVERIFY(r.warnings.at(0).startsWith(u("TM helyett")));
        QVERIFY(r.warnings.at(1).startsWith(u("Állítsa be a kerekítés")));
    }

    // Without any document (or none with its issuer), every run copies the
    // issuer into the documents again and resets the product flags.
    void issuerScriptRepeatsOnEmptyFolder() {
        test::TempDataFolder f(QStringLiteral("empty"));
        f.db.execSql(u("UPDATE tulajdonos SET tulajdonos='Bárány Bt'"));
        f.db.execSql(u("INSERT INTO cikkszam (cikkszam, cikkszam_nev, kozv_szolgaltatas) VALUES ('X', 'x', 'I')"));
        f.db.close();
        Recorder r;
        upgradeFolder(f.folder, r);
        f.db.open(f.folder);
        QCOMPARE(f.db.queryText("SELECT vallignev FROM tulajdonos", {}), u("Bárány Bt"));
        QCOMPARE(f.db.queryText("SELECT kozv_szolgaltatas FROM cikkszam WHERE cikkszam='X'", {}), QStringLiteral("N"));
    }

    // A failing step rolls everything back and is named; a folder held by
    // another program is refused; a missing folder is refused.
    void failureLeavesFolderAsItWas() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("Data"));
        {
            Database db(QStringLiteral("old"));
            test::createOldFolder(db, folder, test::oldestLayout());
            fill(db, false);
            db.execSql(QStringLiteral("CREATE TRIGGER stop_it BEFORE UPDATE ON prntip BEGIN "
                                      "SELECT RAISE(ABORT, 'tiltott modositas'); END"));
        }
        const QByteArray before = fileHash(Database::databaseFile(folder));
        Recorder r;
        try {
            upgradeFolder(folder, r);
            QFAIL("the run should stop");
        } catch (const MaintenanceError& e) {
            QVERIFY2(e.step().startsWith(QStringLiteral("prntip")), qPrintable(e.step()));
            QVERIFY(e.text().contains(QStringLiteral("tiltott modositas")));
        }
        QCOMPARE(fileHash(Database::databaseFile(folder)), before);

        // Another program reading the folder holds it.
        Database other(QStringLiteral("other"));
        other.open(folder);
        other.execSql(QStringLiteral("BEGIN"));
        other.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0);
        try {
            upgradeFolder(folder, r);
            QFAIL("a held folder should be refused");
        } catch (const MaintenanceError& e) {
            QVERIFY2(e.text().contains(u("másik program")), qPrintable(e.text()));
        }
        other.execSql(QStringLiteral("ROLLBACK"));
        other.close();
        QCOMPARE(fileHash(Database::databaseFile(folder)), before);

        try {
            upgradeFolder(dir.filePath(QStringLiteral("nincs")), r);
            QFAIL("a missing folder should be refused");
        } catch (const MaintenanceError& e) {
            QCOMPARE(e.text(), kNoFolder);
        }
    }

    // Rebuilding a table for one field keeps field order, every row and
    // value (accents, NULLs, the largest numbers), the autoincrement counter
    // and the indexes.
    void restructureKeepsRows_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("declaration");
        QTest::newRow("widen a text") << "emil" << "CHAR(75) COLLATE HU";
        QTest::newRow("number to float") << "fiztip" << "FLOAT";
    }
    void restructureKeepsRows() {
        QFETCH(QString, field);
        QFETCH(QString, declaration);
        test::TempDataFolder f(QStringLiteral("restructure"));
        Database& db = f.db;
        const QString longText = u("ő").repeated(255);
        db.execSql("INSERT INTO ugyfel (ugyfel, ugyfel_nev, emil, fiztip, kedvezmeny) VALUES (?, ?, ?, ?, ?)",
                   {qlonglong(9007199254740991LL), u("Árvíztűrő tükörfúrógép"), longText, 2147483647, 1.7976931348623157e308});
        db.execSql("INSERT INTO ugyfel (ugyfel, ugyfel_nev, emil, fiztip, kedvezmeny) VALUES (5, NULL, NULL, NULL, -0.5)");
        db.execSql("DELETE FROM ugyfel WHERE ugyfel=9007199254740991");
        db.execSql("INSERT INTO ugyfel (ugyfel, ugyfel_nev, emil, fiztip) VALUES (7, ?, ?, -2147483648)",
                   {u("Ősz Ödön"), longText});
        db.execSql("INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (8, ?), (9, ?)", {u("Zoltán"), u("Ábel")});
        db.execSql("CREATE INDEX saját_index ON ugyfel (fax)");
        const QStringList order = db.fieldNames("ugyfel");
        const QStringList before = test::dumpRows(db);
        QStringList indexes = db.fillItems("SELECT name FROM sqlite_master WHERE type='index' AND tbl_name='ugyfel' ORDER BY name");
        restructureField(db, "ugyfel", field, declaration);
        QCOMPARE(db.fieldNames("ugyfel"), order);
        QCOMPARE(test::dumpRows(db), before);
        QCOMPARE(db.fillItems("SELECT name FROM sqlite_master WHERE type='index' AND tbl_name='ugyfel' ORDER BY name"),
                 indexes);
        const FieldInfo info = db.fieldInfo("ugyfel", field);
        QCOMPARE(info.type, declaration.section(QLatin1Char('('), 0, 0).section(' ', 0, 0));
        // The counter stays above the deleted largest key.
        db.execSql("INSERT INTO ugyfel (ugyfel_nev) VALUES ('uj')");
        QVERIFY(db.queryInt("SELECT MAX(ugyfel) FROM ugyfel", 0) > 9007199254740991LL);
        // Sorting still follows the Hungarian order of the table's collation.
        QCOMPARE(db.fillItems("SELECT ugyfel_nev FROM ugyfel WHERE ugyfel BETWEEN 7 AND 9 ORDER BY ugyfel_nev"),
                 QStringList({u("Ábel"), u("Ősz Ödön"), u("Zoltán")}));
        QCOMPARE(db.integrityCheck(), QStringLiteral("ok"));
    }
};

QTEST_GUILESS_MAIN(UpgradeTest)
#include "upgrade_test.moc"
