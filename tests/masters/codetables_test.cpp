// The code-table rules on a real data folder: what a new row gets (payment
// method defaults, the key rules), what is refused with which message, the
// rights of each member, the delete rules of the cash tables, the search and
// the initial-row rules including the tariff/service number lookup.
#include "ScriptedDialogs.h"
#include "TestFolders.h"
#include "core/AppContext.h"
#include "masters/CodeTables.h"

#include <QtTest>

using namespace orvix;
using orvix::test::ScriptedDialogs;
using orvix::test::TempDataFolder;

Q_DECLARE_METATYPE(orvix::CodeTableId)

namespace {

const CodeTableDesc& page(CodeTableId id, int p = 0) {
    return codeTableWindow(id).pages.at(size_t(p));
}

CodeTableRow rowOf(std::initializer_list<std::pair<const char*, QVariant>> values) {
    CodeTableRow row;
    for (const auto& [field, value] : values)
        row.insert(QLatin1String(field), value);
    return row;
}

CurrentUser userWith(bool admin, bool write) {
    CurrentUser u;
    u.name = QStringLiteral("teszt");
    u.rendszergazda = admin;
    u.iras = write;
    return u;
}

} // namespace

class CodeTablesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

    QVariant save(ScriptedDialogs& d, CodeTableId id, const CodeTableRow& row,
                  const CodeTableRow* stored = nullptr, int p = 0) {
        const std::optional<QVariant> key = saveCodeTableRow(db(), d, page(id, p), row, stored);
        return key ? *key : QVariant();
    }

private Q_SLOTS:
    void init() { m_folder = std::make_unique<TempDataFolder>(); }
    void cleanup() { m_folder.reset(); }

    void newPaymentMethodDefaults() {
        ScriptedDialogs d;
        CodeTableRow row = newCodeTableRow(page(CodeTableId::PaymentMethods));
        row.insert(QStringLiteral("fiztip_nev"), QStringLiteral("Utánvét"));
        const QVariant key = save(d, CodeTableId::PaymentMethods, row);
        QVERIFY2(d.asked.isEmpty(), qPrintable(d.asked.join('\n')));
        QCOMPARE(key.toLongLong(), 4); // after the three seeded methods
        QSqlQuery q = db().select(QStringLiteral(
            "SELECT fiztip_nev, fizhat, fizetve, kellkerek, cassak FROM fiztip WHERE fiztip=4"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("Utánvét"));
        QCOMPARE(q.value(1).toInt(), 0);
        QCOMPARE(q.value(2).toString(), QStringLiteral("N"));
        QCOMPARE(q.value(3).toString(), QStringLiteral("N"));
        QCOMPARE(q.value(4).toInt(), 0);
        QCOMPARE(cashDeskName(db(), q.value(4).toInt()), QStringLiteral("Alap kassza"));
    }

    void immediatePaymentHasNoTerm() {
        ScriptedDialogs d;
        const CodeTableRow stored =
            loadCodeTable(db(), page(CodeTableId::PaymentMethods), QStringLiteral("fiztip"))
                .at(1); // Átutalás, 8 days
        CodeTableRow edited = stored;
        edited.insert(QStringLiteral("fizetve"), QStringLiteral("I"));
        edited.insert(QStringLiteral("fizhat"), QStringLiteral("30"));
        QCOMPARE(save(d, CodeTableId::PaymentMethods, edited, &stored).toLongLong(), 2);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT fizhat FROM fiztip WHERE fiztip=2"), -1), 0);
        QCOMPARE(db().queryText(QStringLiteral("SELECT fizetve FROM fiztip WHERE fiztip=2"), {}),
                 QStringLiteral("I"));
    }

    void newKeyRules() {
        ScriptedDialogs d;
        // Cash desks: the largest number + 1, the basic desk being 0.
        CodeTableRow desk = newCodeTableRow(page(CodeTableId::CashDesks));
        QCOMPARE(desk.value(QStringLiteral("vat")).toString(), QStringLiteral("HUF"));
        desk.insert(QStringLiteral("cassak_nev"), QStringLiteral("Bolt kassza"));
        QCOMPARE(save(d, CodeTableId::CashDesks, desk).toLongLong(), 1);
        desk.insert(QStringLiteral("cassak_nev"), QStringLiteral("Euró kassza"));
        desk.insert(QStringLiteral("vat"), QStringLiteral("EUR"));
        QCOMPARE(save(d, CodeTableId::CashDesks, desk).toLongLong(), 2);
        QCOMPARE(db().queryText(QStringLiteral("SELECT vat FROM cassak WHERE cassak=2"), {}),
                 QStringLiteral("EUR"));
        // Typed keys are stored as typed, trimmed; a currency code in capitals.
        QCOMPARE(save(d, CodeTableId::Currencies, rowOf({{"vat", QStringLiteral(" chf ")}})).toString(),
                 QStringLiteral("CHF"));
        QCOMPARE(save(d, CodeTableId::Categories,
                      rowOf({{"kategoria", QStringLiteral("ÉLM")},
                             {"kategoria_nev", QStringLiteral("Élelmiszer")}}))
                     .toString(),
                 QStringLiteral("ÉLM"));
        QCOMPARE(save(d, CodeTableId::CashMovementTypes,
                      rowOf({{"cassatip", QStringLiteral("x")},
                             {"cassatip_nev", QStringLiteral("Selejt")},
                             {"szorzo", -1}}))
                     .toString(),
                 QStringLiteral("X"));
        QVERIFY2(d.asked.isEmpty(), qPrintable(d.asked.join('\n')));
    }

    void refusedRows_data() {
        QTest::addColumn<CodeTableId>("id");
        QTest::addColumn<int>("page");
        QTest::addColumn<CodeTableRow>("row");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty unit") << CodeTableId::Units << 0 << rowOf({{"mert", QStringLiteral("  ")}})
                                    << QStringLiteral("„Mértékegység” nem lehet üres.");
        QTest::newRow("unit used") << CodeTableId::Units << 0 << rowOf({{"mert", QStringLiteral("db")}})
                                   << QStringLiteral("Mértékegység „db” már szerepel a táblában.");
        QTest::newRow("currency used, other case")
            << CodeTableId::Currencies << 0 << rowOf({{"vat", QStringLiteral("eur")}})
            << QStringLiteral("Devizanem „EUR” már szerepel a táblában.");
        QTest::newRow("currency too long")
            << CodeTableId::Currencies << 0 << rowOf({{"vat", QStringLiteral("EURO")}})
            << QStringLiteral("„Devizanem” legfeljebb 3 karakter lehet.");
        QTest::newRow("tariff number of nine")
            << CodeTableId::TariffNumbers << 0 << rowOf({{"vtsz", QStringLiteral("123456789")}})
            << QStringLiteral("„vtsz” legfeljebb 8 karakter lehet.");
        QTest::newRow("service number of thirteen")
            << CodeTableId::TariffNumbers << 1 << rowOf({{"szj", QStringLiteral("1234567890123")}})
            << QStringLiteral("„szj” legfeljebb 12 karakter lehet.");
        QTest::newRow("payment term not a number")
            << CodeTableId::PaymentMethods << 0
            << rowOf({{"fiztip_nev", QStringLiteral("Csekk")}, {"fizhat", QStringLiteral("8 nap")}})
            << QStringLiteral("„Fiz.hat (nap)” egész szám legyen.");
        QTest::newRow("negative payment term")
            << CodeTableId::PaymentMethods << 0
            << rowOf({{"fiztip_nev", QStringLiteral("Csekk")}, {"fizhat", QStringLiteral("-5")}})
            << QStringLiteral("„Fiz.hat (nap)” legalább 0 legyen.");
        QTest::newRow("payment method without name")
            << CodeTableId::PaymentMethods << 0 << rowOf({{"fiztip_nev", QString()}})
            << QStringLiteral("„Fizetési típus” nem lehet üres.");
        QTest::newRow("label of no columns")
            << CodeTableId::LabelLayouts << 0
            << rowOf({{"cimke", QStringLiteral("A4 3x8")}, {"oszlop", QStringLiteral("0")}})
            << QStringLiteral("„oszlopok száma” legalább 1 legyen.");
        QTest::newRow("label margin not a number") << CodeTableId::LabelLayouts << 0
                                                   << rowOf({{"cimke", QStringLiteral("A4 3x8")},
                                                             {"felsomargo", QStringLiteral("1,2,3")},
                                                             {"oszlop", 3}})
                                                   << QStringLiteral("„felső margó” szám legyen.");
        QTest::newRow("cash type without name") << CodeTableId::CashMovementTypes << 0
                                                << rowOf({{"cassatip", QStringLiteral("Z")}, {"szorzo", 1}})
                                                << QStringLiteral("„név” nem lehet üres.");
    }
    void refusedRows() {
        QFETCH(CodeTableId, id);
        QFETCH(int, page);
        QFETCH(CodeTableRow, row);
        QFETCH(QString, reason);
        const CodeTableDesc& desc = ::page(id, page);
        const qint64 before = db().queryInt(QStringLiteral("SELECT COUNT(*) FROM %1").arg(desc.table), 0);
        ScriptedDialogs d;
        QVERIFY(!saveCodeTableRow(db(), d, desc, row, nullptr));
        QCOMPARE(d.asked, QStringList{QStringLiteral("error: Hiányos, vagy hibás adatmegadás\n") + reason});
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM %1").arg(desc.table), 0), before);
    }

    void currencyAccounts() {
        ScriptedDialogs d;
        // A valid IBAN is taken as it is.
        QVERIFY(save(d, CodeTableId::Currencies,
                     rowOf({{"vat", QStringLiteral("CHF")},
                            {"bankszamla", QStringLiteral("CH9300762011623852957")}}))
                    .isValid());
        QCOMPARE(d.asked, QStringList());
        // A domestic account or an IBAN failing its check is asked about.
        for (const QString& account : {QStringLiteral("10032000-06056354"), QStringLiteral("CH9400762011623852957")}) {
            d.asked.clear();
            d.answers = {false};
            QVERIFY(!saveCodeTableRow(db(), d, page(CodeTableId::Currencies),
                                      rowOf({{"vat", QStringLiteral("GBP")}, {"bankszamla", account}}), nullptr));
            QCOMPARE(d.askedOf(QStringLiteral("question")).size(), 1);
            QVERIFY(d.asked.last().endsWith(QStringLiteral("\nMégis menti?")));
        }
        // A bad account already stored is kept after the user confirms it.
        db().execSql(QStringLiteral("UPDATE vat SET bankszamla='10032000-06056354' WHERE vat='EUR'"));
        const CodeTableRow stored =
            loadCodeTable(db(), page(CodeTableId::Currencies), QStringLiteral("vat")).at(1);
        QCOMPARE(stored.value(QStringLiteral("vat")).toString(), QStringLiteral("EUR"));
        d.asked.clear();
        d.answers = {false};
        QVERIFY(!saveCodeTableRow(db(), d, page(CodeTableId::Currencies), stored, &stored));
        QCOMPARE(d.askedOf(QStringLiteral("question")).size(), 1);
        QVERIFY(d.asked.last().endsWith(QStringLiteral("Mégis menti?")));
        d.answers = {true};
        QVERIFY(saveCodeTableRow(db(), d, page(CodeTableId::Currencies), stored, &stored));
    }

    void renamingKeepsOneRow() {
        ScriptedDialogs d;
        const CodeTableRow stored = rowOf({{"mert", QStringLiteral("pár")}});
        QCOMPARE(
            save(d, CodeTableId::Units, rowOf({{"mert", QStringLiteral("pár (2 db)")}}), &stored).toString(),
            QStringLiteral("pár (2 db)"));
        QCOMPARE(
            db().queryInt(QStringLiteral("SELECT COUNT(*) FROM mert WHERE mert IN ('pár','pár (2 db)')"), 0),
            1);
        // Saving a row under its own key is no duplicate.
        const CodeTableRow kg = rowOf({{"mert", QStringLiteral("kg")}});
        QVERIFY(save(d, CodeTableId::Units, kg, &kg).isValid());
        QVERIFY(d.asked.isEmpty());
    }

    void documentTypeLetterStays() {
        ScriptedDialogs d;
        const CodeTableDesc& desc = page(CodeTableId::DocumentTypes);
        QVERIFY(!offersAction(desc, CodeTableAction::New));
        QVERIFY(!offersAction(desc, CodeTableAction::Delete));
        const auto rows = loadCodeTable(db(), desc, QStringLiteral("prntip"));
        const int s = findPresetRow(rows, desc, QStringLiteral("S"));
        QVERIFY(s >= 0);
        CodeTableRow edited = rows.at(size_t(s));
        edited.insert(QStringLiteral("prntip"), QStringLiteral("Q"));
        edited.insert(QStringLiteral("prntip_nev1"), QStringLiteral("Tax invoice"));
        QVERIFY(save(d, CodeTableId::DocumentTypes, edited, &rows.at(size_t(s))).isValid());
        QCOMPARE(db().queryText(QStringLiteral("SELECT prntip_nev1 FROM prntip WHERE prntip='S'"), {}),
                 QStringLiteral("Tax invoice"));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM prntip WHERE prntip='Q'"), -1), 0);
        const CurrentUser admin = userWith(true, true);
        QVERIFY(!deleteCodeTableRow(db(), d, desc, rows.at(size_t(s)), admin));
        QVERIFY(d.asked.isEmpty());
    }

    void rights_data() {
        QTest::addColumn<CodeTableId>("id");
        QTest::addColumn<bool>("admin");
        QTest::addColumn<bool>("write");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("categories, writer") << CodeTableId::Categories << false << true << true;
        QTest::newRow("categories, reader") << CodeTableId::Categories << true << false << false;
        QTest::newRow("payment methods, reader") << CodeTableId::PaymentMethods << false << false << false;
        QTest::newRow("cash types, writer") << CodeTableId::CashMovementTypes << false << true << true;
        QTest::newRow("cash desks, writer only") << CodeTableId::CashDesks << false << true << false;
        QTest::newRow("cash desks, administrator only") << CodeTableId::CashDesks << true << false << true;
        // Deleting origins needs the right like every other change.
        QTest::newRow("origins, reader") << CodeTableId::Origins << false << false << false;
    }
    void rights() {
        QFETCH(CodeTableId, id);
        QFETCH(bool, admin);
        QFETCH(bool, write);
        QFETCH(bool, allowed);
        const CurrentUser user = userWith(admin, write);
        ScriptedDialogs d;
        QCOMPARE(checkCodeTableRight(page(id), user, d), allowed);
        QCOMPARE(d.asked, allowed ? QStringList()
                                  : QStringList{QStringLiteral("error: Nincs jogosultság a művelethez.")});

        // A delete without the right changes nothing and asks nothing else.
        const CodeTableDesc& desc = page(id);
        db().execSql(
            QStringLiteral("INSERT INTO cassak (cassak, cassak_nev, vat) VALUES (7, 'Pult', 'HUF')"));
        db().execSql(
            QStringLiteral("INSERT INTO szarmazas (szarmazas, szarmazas_nev) VALUES ('HU', 'Magyar')"));
        db().execSql(
            QStringLiteral("INSERT INTO kategoria (kategoria, kategoria_nev) VALUES ('K1', 'Könyv')"));
        db().execSql(
            QStringLiteral("INSERT INTO cassatip (cassatip, cassatip_nev, szorzo) VALUES ('Z', 'Zár', 1)"));
        const auto rows = loadCodeTable(db(), desc, desc.firstSortField);
        const CodeTableRow target = rows.back();
        const QString count = QStringLiteral("SELECT COUNT(*) FROM %1").arg(desc.table);
        const qint64 before = db().queryInt(count, 0);
        ScriptedDialogs del;
        del.defaultAnswer = true;
        const bool deleted = deleteCodeTableRow(db(), del, desc, target, user);
        QCOMPARE(deleted, allowed);
        QCOMPARE(db().queryInt(count, 0), allowed ? before - 1 : before);
        if (allowed)
            QCOMPARE(del.asked,
                     QStringList{QStringLiteral("question: Megerősítés | Valóban töröljem a sort?")});
    }

    void openRights() {
        QCOMPARE(codeTableWindow(CodeTableId::Units).openRight, std::optional<Right>(Right::Write));
        QCOMPARE(codeTableWindow(CodeTableId::Origins).openRight, std::optional<Right>(Right::Write));
        QCOMPARE(codeTableWindow(CodeTableId::Categories).openRight, std::optional<Right>(Right::Write));
        for (CodeTableId id :
             {CodeTableId::PaymentMethods, CodeTableId::Currencies, CodeTableId::TariffNumbers,
              CodeTableId::DocumentTypes, CodeTableId::CashDesks, CodeTableId::CashMovementTypes})
            QVERIFY(!codeTableWindow(id).openRight);
    }

    void cashDeleteRules() {
        const CurrentUser admin = userWith(true, true);
        ScriptedDialogs d;
        const CodeTableDesc& types = page(CodeTableId::CashMovementTypes);
        const auto typeRows = loadCodeTable(db(), types, QStringLiteral("cassatip"));
        const CodeTableRow b = typeRows.at(size_t(findPresetRow(typeRows, types, QStringLiteral("B"))));
        QVERIFY(!deleteCodeTableRow(db(), d, types, b, admin));
        QCOMPARE(d.asked, QStringList{QStringLiteral("error: ") + kProtectedCashTypeMessage});
        // "V" keeps its direction and its letter; its name may change.
        const CodeTableRow v = typeRows.at(size_t(findPresetRow(typeRows, types, QStringLiteral("V"))));
        CodeTableRow edited = v;
        edited.insert(QStringLiteral("szorzo"), 1);
        d.asked.clear();
        QVERIFY(!saveCodeTableRow(db(), d, types, edited, &v));
        QCOMPARE(d.asked.size(), 1);
        edited = v;
        edited.insert(QStringLiteral("cassatip_nev"), QStringLiteral("Visszáru kifizetése"));
        QVERIFY(saveCodeTableRow(db(), d, types, edited, &v));

        const CodeTableDesc& desks = page(CodeTableId::CashDesks);
        db().execSql(
            QStringLiteral("INSERT INTO cassak (cassak, cassak_nev, vat) VALUES (1, 'Bolt', 'HUF')"));
        db().execSql(
            QStringLiteral("INSERT INTO cassak (cassak, cassak_nev, vat) VALUES (2, 'Raktár', 'HUF')"));
        db().execSql(QStringLiteral("INSERT INTO cassa (cassak, bizszam, cassatip, osszeg, penzvan) "
                                    "VALUES (1, 1, 'B', 5000, 5000)"));
        d.asked.clear();
        QVERIFY(!deleteCodeTableRow(db(), d, desks, rowOf({{"cassak", 0}}), admin));
        QVERIFY(!deleteCodeTableRow(db(), d, desks, rowOf({{"cassak", 1}}), admin));
        QCOMPARE(d.asked, (QStringList{QStringLiteral("error: ") + kBasicCashDeskMessage,
                                       QStringLiteral("error: ") + kCashDeskInUseMessage}));
        d.answers = {false};
        QVERIFY(!deleteCodeTableRow(db(), d, desks, rowOf({{"cassak", 2}}), admin));
        QVERIFY(deleteCodeTableRow(db(), d, desks, rowOf({{"cassak", 2}}), admin));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cassak"), 0), 2);
    }

    void searchAndPreset() {
        for (const auto& [code, name] : {std::pair{"K2", "kellék"},
                                         {"A1", "Alkatrész"},
                                         {"K1", "Könyv"},
                                         {"SZ", "Szolgáltatás"},
                                         {"C", "Csomag"}})
            db().execSql(QStringLiteral("INSERT INTO kategoria (kategoria, kategoria_nev) VALUES (?, ?)"),
                         {QString::fromUtf8(code), QString::fromUtf8(name)});
        const CodeTableDesc& desc = page(CodeTableId::Categories);
        const auto byName = loadCodeTable(db(), desc, QStringLiteral("kategoria_nev"));
        QStringList names;
        for (const CodeTableRow& r : byName)
            names << r.value(QStringLiteral("kategoria_nev")).toString().trimmed();
        // Hungarian order: Cs after C-words, K before Kö, Sz as a letter of its own.
        QCOMPARE(names, (QStringList{"Alkatrész", "Csomag", "kellék", "Könyv", "Szolgáltatás"}));
        QCOMPARE(searchFieldFor(desc, QStringLiteral("kategoria_nev")), QStringLiteral("kategoria_nev"));
        QCOMPARE(findSearchRow(byName, QStringLiteral("kategoria_nev"), QStringLiteral("K")), 2);
        QCOMPARE(findSearchRow(byName, QStringLiteral("kategoria_nev"), QStringLiteral("kö")), 3);
        QCOMPARE(findSearchRow(byName, QStringLiteral("kategoria_nev"), QStringLiteral("x")), -1);
        // The units and the currencies always search their code.
        QCOMPARE(searchFieldFor(page(CodeTableId::Currencies), QStringLiteral("bankszamla")),
                 QStringLiteral("vat"));
        QCOMPARE(searchFieldFor(page(CodeTableId::LabelLayouts), QStringLiteral("cimke")), QString());

        const auto byCode = loadCodeTable(db(), desc, QStringLiteral("kategoria"));
        QCOMPARE(findPresetRow(byCode, desc, QStringLiteral("k1")), 2); // A1, C, K1, K2, SZ
        QCOMPARE(findPresetRow(byCode, desc, QStringLiteral("k")), 2);  // a partial key counts
        QCOMPARE(findPresetRow(byCode, desc, QStringLiteral("Q")), -1);
        QCOMPARE(findPresetRow(byCode, desc, QVariant()), -1);

        // Label layouts are found by their whole name only.
        db().execSql(QStringLiteral("INSERT INTO cimke (cimke, oszlop) VALUES ('Avery 3x8', 3)"));
        const auto labels = loadCodeTable(db(), page(CodeTableId::LabelLayouts), QStringLiteral("cimke"));
        QCOMPARE(findPresetRow(labels, page(CodeTableId::LabelLayouts), QStringLiteral("avery 3x8")), 0);
        QCOMPARE(findPresetRow(labels, page(CodeTableId::LabelLayouts), QStringLiteral("Avery")), -1);
        const LabelLayout layout = labelLayoutOf(labels.front());
        QCOMPARE(layout.name, QStringLiteral("Avery 3x8"));
        QCOMPARE(layout.columns, 3);

        // The paid flag of a payment method chosen without one reads "N".
        const PaymentMethodChoice p = paymentMethodChoice(rowOf({{"fiztip", 5}, {"fizhat", 15}}));
        QCOMPARE(p.fiztip, 5);
        QCOMPARE(p.fizetve, QStringLiteral("N"));
        QCOMPARE(p.fizhat, 15);
    }

    void tariffPreset_data() {
        QTest::addColumn<QString>("initial");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("key");
        QTest::newRow("eleven characters, tariff of its first eight") << "84713000X1Y" << 0 << "84713000";
        QTest::newRow("tariff number itself") << "84713000" << 0 << "84713000";
        QTest::newRow("eleven characters, service number") << "74.20.31.0a" << 1 << "74.20.31.0A";
        QTest::newRow("service number, other case") << "74.20.31.0A" << 1 << "74.20.31.0A";
        QTest::newRow("first eight neither tariff nor whole service") << "84713001X1Y" << 0 << "";
        QTest::newRow("empty") << "" << 0 << "";
    }
    void tariffPreset() {
        QFETCH(QString, initial);
        QFETCH(int, page);
        QFETCH(QString, key);
        db().execSql(
            QStringLiteral("INSERT INTO vtsz (vtsz, vtsz_nev) VALUES ('84713000', 'Hordozható gépek')"));
        db().execSql(QStringLiteral("INSERT INTO vtsz (vtsz, vtsz_nev) VALUES ('74203100', 'Csavarok')"));
        db().execSql(
            QStringLiteral("INSERT INTO szj (szj, szj_nev) VALUES ('74.20.31.0A', 'Mérnöki tervezés')"));
        const TariffPreset found = locateTariffPreset(db(), initial);
        QCOMPARE(found.page, page);
        QCOMPARE(found.key, key);
    }
};

QTEST_GUILESS_MAIN(CodeTablesTest)
#include "codetables_test.moc"
