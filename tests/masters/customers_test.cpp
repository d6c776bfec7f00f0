// The customer master on a real data folder: new-customer defaults, the town
// and Budapest district from a postcode, the identifier checks of "OK", the
// chooser's search, the soft delete and the further delivery addresses.
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "masters/Customers.h"

#include <QSqlQuery>
#include <QtTest>
#include <memory>

using namespace orvix;
using orvix::test::ScriptedDialogs;
using orvix::test::TempDataFolder;

namespace {

qint64 addCustomer(Database& db, const QString& name, const QString& fields = {},
                   const QVariantList& values = {}) {
    QStringList marks;
    for (int i = 0; i < values.size(); ++i)
        marks << QStringLiteral("?");
    db.execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, torolve%1) VALUES (?, 'N'%2)")
                   .arg(fields.isEmpty() ? QString() : QStringLiteral(", ") + fields,
                        marks.isEmpty() ? QString() : QStringLiteral(", ") + marks.join(QLatin1Char(','))),
               QVariantList{name} + values);
    return db.queryInt(QStringLiteral("SELECT MAX(ugyfel) FROM ugyfel"), 0);
}

QStringList chooserNames(Database& db, const QString& text, const QString& sort = {}) {
    const CustomerListQuery q = customerChooserQuery(text, sort);
    QSqlQuery rows = db.select(q.sql, q.params);
    QStringList names;
    while (rows.next())
        names << rows.value(0).toString();
    const CustomerListQuery count = customerChooserCountQuery(text);
    if (db.queryInt(count.sql, -1, count.params) != names.size())
        names << QStringLiteral("<count differs>");
    return names;
}

} // namespace

class CustomersTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

private Q_SLOTS:
    void init() {
        m_folder = std::make_unique<TempDataFolder>();
        app().settings = Settings();
        app().settings.alapvaros = QStringLiteral("Győr");
        app().settings.alapfiztip = 2;
        app().config.newCustomerName = QStringLiteral("Új ügyfél");
        app().config.newCustomerAddress = QStringLiteral("Fő utca 1.");
    }
    void cleanup() { m_folder.reset(); }

    void newCustomerCode_data() {
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("empty table") << QList<int>{} << qint64(1);
        QTest::newRow("7 and 12") << QList<int>{7, 12} << qint64(13);
    }
    void newCustomerCode() {
        QFETCH(QList<int>, codes);
        QFETCH(qint64, expected);
        for (int code : codes)
            addCustomer(db(), QStringLiteral("Kód %1").arg(code), QStringLiteral("ugyfelkod"), {code});
        const Customer c = newCustomerDefaults(db());
        QCOMPARE(c.ugyfelkod, expected);
        QCOMPARE(c.cim.varos, QStringLiteral("Győr"));
        QCOMPARE(c.cim.cim, QStringLiteral("Fő utca 1."));
        QCOMPARE(c.ugyfel_nev, QStringLiteral("Új ügyfél"));
        QCOMPARE(c.fiztip, qint64(2));
        QCOMPARE(c.vat, QStringLiteral("HUF"));
        QVERIFY(c.afas);
        QVERIFY(!c.edi);
        QCOMPARE(c.nyelv, 0);
        QCOMPARE(c.kedvezmeny, 0.0);
    }

    void newCustomerStoredFlags() {
        Customer c = newCustomerDefaults(db());
        ScriptedDialogs d;
        QVERIFY(saveCustomer(db(), d, c, std::nullopt).saved);
        QVERIFY(c.ugyfel > 0);
        QSqlQuery q = db().select(
            QStringLiteral(
                "SELECT torolve, kuldve, edi, afas, vat, nyelv, cim_varos FROM ugyfel WHERE ugyfel=?"),
            {c.ugyfel});
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("N"));
        QCOMPARE(q.value(1).toString(), QStringLiteral("N"));
        QCOMPARE(q.value(2).toString(), QStringLiteral("N"));
        QCOMPARE(q.value(3).toString(), QStringLiteral("I"));
        QCOMPARE(q.value(4).toString(), QStringLiteral("HUF"));
        QCOMPARE(q.value(5).toInt(), 0);
        QCOMPARE(q.value(6).toString(), QStringLiteral("Győr"));
        QCOMPARE(loadCustomer(db(), c.ugyfel), std::optional<Customer>(c));
    }

    // The district stored is the 2nd and 3rd character of a Budapest
    // postcode, as other programs read the field.
    void district_data() {
        QTest::addColumn<QString>("postcode");
        QTest::addColumn<QString>("district");
        QTest::newRow("13th") << "1138" << "13";
        QTest::newRow("1st keeps its zero") << "1011" << "01";
        QTest::newRow("23rd") << "1239" << "23";
        QTest::newRow("blanks around") << " 1052 " << "05";
        QTest::newRow("countryside") << "2000" << "";
        QTest::newRow("too short") << "1" << "";
        QTest::newRow("empty") << "" << "";
    }
    void district() {
        QFETCH(QString, postcode);
        QFETCH(QString, district);
        QCOMPARE(budapestDistrict(postcode), district);
    }

    void townFill_data() {
        QTest::addColumn<QString>("postcode");
        QTest::addColumn<QString>("town");
        QTest::addColumn<bool>("filled");
        QTest::addColumn<QString>("newTown");
        QTest::addColumn<QString>("district");
        QTest::newRow("Budapest, empty town") << "1138"
                                              << "" << true << "Budapest"
                                              << "13";
        QTest::newRow("default town replaced") << "1138"
                                               << "Győr" << true << "Budapest"
                                               << "13";
        QTest::newRow("countryside: no district") << "2000"
                                                  << "" << true << "Szentendre"
                                                  << "";
        QTest::newRow("typed town stays") << "1138"
                                          << "Vác" << false << ""
                                          << "";
        QTest::newRow("unknown postcode") << "0999"
                                          << "" << false << ""
                                          << "";
    }
    void townFill() {
        QFETCH(QString, postcode);
        QFETCH(QString, town);
        QFETCH(bool, filled);
        QFETCH(QString, newTown);
        QFETCH(QString, district);
        const std::optional<TownFill> fill =
            fillTownFromPostcode(db(), postcode, town, QStringLiteral("Győr"), true);
        QCOMPARE(fill.has_value(), filled);
        if (fill) {
            QCOMPARE(fill->town, newTown);
            QCOMPARE(fill->district, district);
        }
    }

    // The identifier checks of "OK": a bad value typed in is refused, one that
    // older data holds and that was left unchanged only asks.
    void identifierChecks_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("storedValue"); // empty: a new customer
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QVariantList>("answers");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("firstAsked");
        QTest::addColumn<QString>("storedAfter");

        const auto row = [](const char* name, const char* field, const char* stored, const char* typed,
                            const QVariantList& answers, bool saved, const char* firstAsked,
                            const char* after) {
            QTest::newRow(name) << QString::fromUtf8(field) << QString::fromUtf8(stored)
                                << QString::fromUtf8(typed) << answers << saved
                                << QString::fromUtf8(firstAsked) << QString::fromUtf8(after);
        };
        row("valid tax number stored as digits", "adoszam", "", "12345676-2-42", {}, true, "", "12345676242");
        row("tax check digit asks: yes", "adoszam", "", "12345678-2-42", {true}, true, "question: ",
            "12345678242");
        row("tax check digit asks: no", "adoszam", "", "12345678-2-42", {false}, false, "question: ", "");
        row("foreign tax number asks", "adoszam", "", "ATU1358562", {true}, true, "question: ", "ATU1358562");
        row("old doubtful tax number kept unchanged", "adoszam", "12345678242", "12345678-2-42", {}, true, "",
            "12345678242");
        row("old tax number changed to another bad one: no", "adoszam", "12345678242", "12345679242", {false},
            false, "question: ", "12345678242");
        row("valid bank account stored as digits", "bankszamla", "", "11773016-11111111", {}, true, "",
            "1177301611111111");
        row("bank account check digit asks: no", "bankszamla", "", "11773016-11111112", {false}, false,
            "question: ", "");
        row("bank account check digit asks: yes", "bankszamla", "", "11773016-11111112", {true}, true,
            "question: ", "1177301611111112");
        row("foreign IBAN saved without a question", "bankszamla", "", "DE89 3704 0044 0532 0130 00", {}, true,
            "", "DE89370400440532013000");
        row("IBAN with a wrong check asks", "bankszamla", "", "DE88 3704 0044 0532 0130 00", {false}, false,
            "question: ", "");
        row("foreign account of its own form", "bankszamla", "", "123-456789/0100", {}, true, "",
            "123-456789/0100");
        row("EU tax number normalized", "kozadoszam", "", "hu 12345676", {}, true, "", "HU12345676");
        row("foreign EU tax number", "kozadoszam", "", "ATU13585627", {}, true, "", "ATU13585627");
        row("EU tax number without country asks", "kozadoszam", "", "12345676", {true}, true, "question: ",
            "12345676");
        row("foreign postcode asks: yes", "szla_irsz", "", "A1010", {true}, true, "question: ", "A1010");
        row("foreign postcode asks: no", "szla_irsz", "", "A1010", {false}, false, "question: ", "");
        row("stored foreign postcode unchanged", "szla_irsz", "A1010", "A1010", {}, true, "", "A1010");
    }
    void identifierChecks() {
        QFETCH(QString, field);
        QFETCH(QString, storedValue);
        QFETCH(QString, typed);
        QFETCH(QVariantList, answers);
        QFETCH(bool, saved);
        QFETCH(QString, firstAsked);
        QFETCH(QString, storedAfter);

        std::optional<Customer> stored;
        Customer c = newCustomerDefaults(db());
        c.ugyfel_nev = QStringLiteral("Teszt Kft.");
        if (!storedValue.isEmpty()) {
            c.ugyfel = addCustomer(db(), c.ugyfel_nev, field, {storedValue});
            stored = loadCustomer(db(), c.ugyfel);
            QVERIFY(stored);
            c = *stored;
        }
        QString* value = field == QLatin1String("adoszam")      ? &c.adoszam
                         : field == QLatin1String("bankszamla") ? &c.bankszamla
                         : field == QLatin1String("kozadoszam") ? &c.kozadoszam
                                                                : &c.szla.irsz;
        *value = typed;

        ScriptedDialogs d;
        d.answers.assign(answers.begin(), answers.end());
        const SaveResult result = saveCustomer(db(), d, c, stored);
        QCOMPARE(result.saved, saved);
        if (!saved)
            QCOMPARE(result.focusField, field);
        if (firstAsked.isEmpty())
            QCOMPARE(d.asked, QStringList());
        else
            QVERIFY2(!d.asked.isEmpty() && d.asked.first().startsWith(firstAsked),
                     qPrintable(d.asked.join('|')));
        if (firstAsked == QLatin1String("question: "))
            QVERIFY2(d.asked.first().endsWith(QStringLiteral("\nMégis menti?")), qPrintable(d.asked.first()));
        QCOMPARE(db().queryText(QStringLiteral("SELECT %1 FROM ugyfel").arg(field), QString()).trimmed(),
                 storedAfter);
        const bool rowExists = !storedValue.isEmpty() || saved;
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel"), -1), qint64(rowExists ? 1 : 0));
    }

    // Values beyond what the fields hold are refused with their reason and
    // the field to correct; nothing is written.
    void limits_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("reason");
        const QString discount = QStringLiteral("A(z) \"kedvezmény %\" értéke 0 és 100 között lehet.");
        QTest::newRow("discount over 100") << "kedvezmeny" << QVariant(150.0) << discount;
        QTest::newRow("negative discount") << "kedvezmeny" << QVariant(-1.0) << discount;
        QTest::newRow("discount 1e300") << "kedvezmeny" << QVariant(1e300) << discount;
        QTest::newRow("discount not a number") << "kedvezmeny" << QVariant(qQNaN()) << discount;
        QTest::newRow("name of 51") << "ugyfel_nev" << QVariant(QString(51, QChar(u'é')))
                                    << QStringLiteral("A(z) \"Ügyfél\" mező legfeljebb 50 karakter lehet.");
        QTest::newRow("billing town of 26")
            << "szla_varos" << QVariant(QString(26, QLatin1Char('v')))
            << QStringLiteral("A(z) \"Számlázási cím, Település\" mező legfeljebb 25 karakter lehet.");
        QTest::newRow("postal door of 16")
            << "cim_ajto" << QVariant(QString(16, QLatin1Char('a')))
            << QStringLiteral("A(z) \"Posta cím, Ajtó\" mező legfeljebb 15 karakter lehet.");
        QTest::newRow("IBAN longer than the account field")
            << "bankszamla" << QVariant(QStringLiteral("FR14 2004 1010 0505 0001 3M02 606"))
            << QStringLiteral("A(z) \"bankszámlaszám\" mező legfeljebb 24 karakter lehet.");
    }
    void limits() {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(QString, reason);
        Customer c = newCustomerDefaults(db());
        c.ugyfel_nev = QStringLiteral("Teszt Kft.");
        if (field == QLatin1String("kedvezmeny"))
            c.kedvezmeny = value.toDouble();
        else if (field == QLatin1String("ugyfel_nev"))
            c.ugyfel_nev = value.toString();
        else if (field == QLatin1String("szla_varos"))
            c.szla.varos = value.toString();
        else if (field == QLatin1String("cim_ajto"))
            c.cim.ajto = value.toString();
        else
            c.bankszamla = value.toString();
        ScriptedDialogs d;
        const SaveResult r = saveCustomer(db(), d, c, std::nullopt);
        QVERIFY(!r.saved);
        QCOMPARE(r.focusField, field);
        QCOMPARE(d.asked, QStringList{QStringLiteral("error: Hiányos, vagy hibás adatmegadás\n") + reason});
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel"), -1), qint64(0));
    }

    void refusedWithoutName() {
        Customer c = newCustomerDefaults(db());
        c.ugyfel_nev = QStringLiteral("   ");
        ScriptedDialogs d;
        const SaveResult r = saveCustomer(db(), d, c, std::nullopt);
        QVERIFY(!r.saved);
        QCOMPARE(r.focusField, QStringLiteral("ugyfel_nev"));
        QCOMPARE(d.asked, QStringList{QStringLiteral(
                              "error: Hiányos, vagy hibás adatmegadás\nAdja meg az ügyfél nevét!")});
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel"), -1), qint64(0));
    }

    void chooserSearch_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("empty shows all but the deleted")
            << "" << QStringList{"Árvíztűrő Bt.", "Cukor Zrt.", "Csiga Kft.", "Szabó 100% Kft."};
        QTest::newRow("digit run only in a mobile") << "06" << QStringList{"Csiga Kft."};
        QTest::newRow("accents and case ignored") << "ARVIZ" << QStringList{"Árvíztűrő Bt."};
        QTest::newRow("contact") << "kovács" << QStringList{"Cukor Zrt."};
        QTest::newRow("e-mail") << "@csiga" << QStringList{"Csiga Kft."};
        QTest::newRow("postal town") << "pécs" << QStringList{"Cukor Zrt."};
        QTest::newRow("percent sign taken literally") << "100%" << QStringList{"Szabó 100% Kft."};
        QTest::newRow("underscore taken literally") << "_" << QStringList{};
        QTest::newRow("deleted customer not found") << "törölt" << QStringList{};
    }
    void chooserSearch() {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        addCustomer(db(), QStringLiteral("Csiga Kft."), QStringLiteral("mobil, emil, telefon"),
                    {QStringLiteral("+36 30 061 2345"), QStringLiteral("iroda@csiga.hu"),
                     QStringLiteral("1 234 5678")});
        addCustomer(db(), QStringLiteral("Árvíztűrő Bt."));
        addCustomer(db(), QStringLiteral("Cukor Zrt."), QStringLiteral("kapcsolat, cim_varos"),
                    {QStringLiteral("Kovács Éva"), QStringLiteral("Pécs")});
        addCustomer(db(), QStringLiteral("Szabó 100% Kft."));
        const qint64 deleted = addCustomer(db(), QStringLiteral("Törölt Kft."), QStringLiteral("mobil"),
                                           {QStringLiteral("06 20 111 2222")});
        ScriptedDialogs d;
        QVERIFY(softDeleteCustomer(db(), d, deleted, kDeleteCustomerQuestion));
        QCOMPARE(d.asked,
                 QStringList{QStringLiteral("question: Megerősítés | Valóban töröljem az ügyfelet?")});
        QCOMPARE(chooserNames(db(), text), names);
    }

    void chooserSort() {
        addCustomer(db(), QStringLiteral("Béla"), QStringLiteral("ugyfelkod"), {3});
        addCustomer(db(), QStringLiteral("Anna"), QStringLiteral("ugyfelkod"), {9});
        addCustomer(db(), QStringLiteral("Cecil"), QStringLiteral("ugyfelkod"), {1});
        QCOMPARE(chooserNames(db(), QString(), QStringLiteral("ugyfelkod")),
                 (QStringList{"Cecil", "Béla", "Anna"}));
        // An order that is not a column of the chooser orders by name.
        QCOMPARE(chooserNames(db(), QString(), QStringLiteral("1; DROP TABLE ugyfel")),
                 (QStringList{"Anna", "Béla", "Cecil"}));
    }

    // The soft delete keeps the row and the documents' copies of its data.
    void softDeleteKeepsDocuments() {
        const qint64 id = addCustomer(db(), QStringLiteral("Régi Vevő Kft."));
        db().execSql(
            QStringLiteral("INSERT INTO szla (ugyfel, ugyfel_nev, prntip, szlaszam) VALUES (?, ?, 'S', 1)"),
            {id, QStringLiteral("Régi Vevő Kft.")});
        ScriptedDialogs d;
        d.answers = {false};
        QVERIFY(!softDeleteCustomer(db(), d, id, kDeleteCustomerQuestion));
        QCOMPARE(chooserNames(db(), QString()), QStringList{"Régi Vevő Kft."});
        QVERIFY(softDeleteCustomer(db(), d, id, kDeleteCustomerQuestion));
        QCOMPARE(chooserNames(db(), QString()), QStringList());
        QCOMPARE(db().queryText(QStringLiteral("SELECT torolve FROM ugyfel WHERE ugyfel=?"), {}, {id}),
                 QStringLiteral("I"));
        QCOMPARE(db().queryText(QStringLiteral("SELECT ugyfel_nev FROM szla WHERE ugyfel=?"), {}, {id}),
                 QStringLiteral("Régi Vevő Kft."));
    }

    void deliveryAddressChecks_data() {
        QTest::addColumn<QStringList>("parts"); // nev, irsz, varos, cim
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("field");
        QTest::newRow("all empty") << QStringList{"", "", "", ""} << "Adja meg a címzéshez a nevet!"
                                   << "nev";
        QTest::newRow("no postcode") << QStringList{"Raktár", " ", "Győr", "Ipar u. 1."}
                                     << "Adja meg a címzéshez az irányítószámot!"
                                     << "irsz";
        QTest::newRow("no town") << QStringList{"Raktár", "9027", "", ""}
                                 << "Adja meg a címzéshez a települést!"
                                 << "varos";
        QTest::newRow("no street") << QStringList{"Raktár", "9027", "Győr", ""}
                                   << "Adja meg a címzéshez a címet!"
                                   << "cim";
        QTest::newRow("complete") << QStringList{"Raktár", "9027", "Győr", "Ipar u. 1."} << ""
                                  << "";
        // Too long a part is refused, not cut.
        QTest::newRow("town of 26")
            << QStringList{"Raktár", "9027", QString(26, QLatin1Char('v')), "Ipar u. 1."}
            << "Hiányos, vagy hibás adatmegadás\nA(z) \"város\" mező legfeljebb 25 karakter lehet."
            << "varos";
    }
    void deliveryAddressChecks() {
        QFETCH(QStringList, parts);
        QFETCH(QString, message);
        QFETCH(QString, field);
        const qint64 owner = addCustomer(db(), QStringLiteral("Gép Kft."));
        DeliveryAddress a{0, owner, parts[0], parts[1], parts[2], parts[3]};
        ScriptedDialogs d;
        const SaveResult r = saveDeliveryAddress(db(), d, a);
        QCOMPARE(r.saved, message.isEmpty());
        QCOMPARE(r.focusField, field);
        QCOMPARE(d.asked,
                 message.isEmpty() ? QStringList() : QStringList{QStringLiteral("error: ") + message});
        QCOMPARE(int(listDeliveryAddresses(db(), owner).size()), message.isEmpty() ? 1 : 0);
        if (r.saved)
            QCOMPARE(deliveryAddressName(db(), a.ugyfel_cim), QStringLiteral("Raktár"));
    }

    void headOfficeAddress_data() {
        QTest::addColumn<QStringList>("postal");
        QTest::newRow("postal address") << QStringList{"9027", "Győr", "Ipar utca 5."};
        QTest::newRow("empty postal address: only the name") << QStringList{"", "", ""};
    }
    void headOfficeAddress() {
        QFETCH(QStringList, postal);
        const qint64 owner =
            addCustomer(db(), QStringLiteral("Gép Kft."), QStringLiteral("cim_irsz, cim_varos, cim_cim"),
                        {postal[0], postal[1], postal[2]});
        const qint64 id = addHeadOfficeAddress(db(), owner);
        const std::optional<DeliveryAddress> a = loadDeliveryAddress(db(), id);
        QVERIFY(a);
        QCOMPARE(a->ugyfel, owner);
        QCOMPARE(a->nev, QStringLiteral("Gép Kft."));
        QCOMPARE((QStringList{a->irsz, a->varos, a->cim}), postal);
    }

    // An address that a document names stays: the document prints it.
    void deleteDeliveryAddress() {
        const qint64 owner = addCustomer(db(), QStringLiteral("Gép Kft."));
        const qint64 used = addHeadOfficeAddress(db(), owner);
        const qint64 unused = addHeadOfficeAddress(db(), owner);
        db().execSql(
            QStringLiteral("INSERT INTO szla (ugyfel, ugyfel_cim, prntip, szlaszam) VALUES (?, ?, 'S', 1)"),
            {owner, used});
        ScriptedDialogs d;
        QVERIFY(!orvix::deleteDeliveryAddress(db(), d, used));
        QCOMPARE(d.asked.size(), 2);
        QCOMPARE(d.asked.at(0), QStringLiteral("question: Megerősítés | Valóban töröljem a sort?"));
        QVERIFY(d.asked.at(1).startsWith(QStringLiteral("error: A címet 1 bizonylat használja")));
        QVERIFY(orvix::deleteDeliveryAddress(db(), d, unused));
        const std::vector<DeliveryAddress> left = listDeliveryAddresses(db(), owner);
        QCOMPARE(int(left.size()), 1);
        QCOMPARE(left.front().ugyfel_cim, used);
    }
};

QTEST_GUILESS_MAIN(CustomersTest)
#include "customers_test.moc"
