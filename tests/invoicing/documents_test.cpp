// Document creation, numbering, VAT bands, counter-documents and the small
// look-ups, on real data folders.
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "common/Database.h"
#include "invoicing/Documents.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace orvix;
using namespace orvix::test;

namespace {

const QDate kToday(2026, 3, 14);

void insert(Database& db, const QString& table, const QVariantMap& values) {
    QStringList marks;
    for (int i = 0; i < values.size(); ++i)
        marks << QStringLiteral("?");
    db.execSql(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                   .arg(table, values.keys().join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
               values.values());
}

qint64 addCustomer(Database& db, QVariantMap values = {}) {
    if (!values.contains(QStringLiteral("ugyfel_nev")))
        values[QStringLiteral("ugyfel_nev")] = QStringLiteral("Árvíztűrő Kft.");
    insert(db, QStringLiteral("ugyfel"), values);
    return db.queryInt(QStringLiteral("SELECT MAX(ugyfel) FROM ugyfel"), 0);
}

qint64 addDocument(Database& db, const QString& kind, qint64 number, QVariantMap values = {}) {
    values[QStringLiteral("prntip")] = kind;
    values[QStringLiteral("szlaszam")] = number;
    insert(db, QStringLiteral("szla"), values);
    return db.queryInt(QStringLiteral("SELECT MAX(szla) FROM szla"), 0);
}

// The stored row of a document or line as field -> value.
QVariantMap row(Database& db, const QString& select, const QVariantList& params = {}) {
    QSqlQuery q = db.select(select, params);
    QVariantMap out;
    if (q.next())
        for (int i = 0; i < q.record().count(); ++i)
            out.insert(q.record().fieldName(i), q.value(i));
    return out;
}

// "field=value|field=value" as field -> value.
QVariantMap fields(const QString& spec) {
    QVariantMap out;
    for (const QString& pair : spec.split(QLatin1Char('|')))
        out.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    return out;
}

// Every expected field of a stored header, compared as text (numbers by value).
void compareRow(Database& db, qint64 key, const QVariantMap& expected) {
    const QVariantMap h = row(db, QStringLiteral("SELECT * FROM szla WHERE szla=?"), {key});
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QVariant stored = h.value(it.key());
        bool numeric = false;
        const double want = it.value().toString().toDouble(&numeric);
        const bool same = numeric && !stored.isNull() ? stored.toDouble() == want
                                                      : stored.toString() == it.value().toString();
        QVERIFY2(same, qPrintable(it.key() + QStringLiteral(": ") + stored.toString()));
    }
}

QString iso(const QDate& d) {
    return d.toString(Qt::ISODate);
}

// A chooser that counts how often it was asked.
struct CountingChooser : ReverseChargeChooser {
    std::optional<bool> answer;
    int calls = 0;
    std::optional<bool> chooseReverseCharge() override {
        ++calls;
        return answer;
    }
};

} // namespace

class DocumentsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

    qint64 create(const Settings& s, qint64 customer, QChar kind = kKindInvoice,
                  ScriptedDialogs* dialogs = nullptr) {
        ScriptedDialogs none;
        NewDocument doc;
        doc.kind = kind;
        doc.customer = customer;
        return CreateDocument(db(), dialogs ? *dialogs : none, s, CurrentUser{}, doc, kToday);
    }

private Q_SLOTS:
    void init() { m_folder = std::make_unique<TempDataFolder>(); }
    void cleanup() { m_folder.reset(); }

    // Existing documents "kind number" and the next number of a kind.
    void nextDocNumber_data() {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("indulszla");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("first invoice takes indulszla") << QStringList{} << "S" << 501 << qint64(501);
        QTest::newRow("first credit note gets 1") << QStringList{} << "J" << 501 << qint64(1);
        QTest::newRow("first proforma gets 1") << QStringList{} << "P" << 501 << qint64(1);
        QTest::newRow("J after S 10") << QStringList{"S 10"} << "J" << 1 << qint64(11);
        QTest::newRow("S after S 10, J 11") << QStringList{"S 10", "J 11"} << "S" << 1 << qint64(12);
        QTest::newRow("W shares the sequence") << QStringList{"S 10", "W 11"} << "S" << 1 << qint64(12);
        QTest::newRow("proformas count apart") << QStringList{"S 10", "P 3"} << "P" << 1 << qint64(4);
        QTest::newRow("invoice ignores proformas") << QStringList{"S 10", "P 30"} << "S" << 1 << qint64(11);
        QTest::newRow("only proformas: first invoice") << QStringList{"P 5"} << "S" << 501 << qint64(501);
        QTest::newRow("indulszla only for the first") << QStringList{"S 501"} << "S" << 501 << qint64(502);
        QTest::newRow("after a first credit note") << QStringList{"J 1"} << "S" << 501 << qint64(2);
    }
    void nextDocNumber() {
        QFETCH(QStringList, existing);
        QFETCH(QString, kind);
        QFETCH(int, indulszla);
        QFETCH(qint64, expected);
        for (const QString& e : existing)
            addDocument(db(), e.section(QLatin1Char(' '), 0, 0), e.section(QLatin1Char(' '), 1).toLongLong());
        Settings s;
        s.indulszla = indulszla;
        QCOMPARE(NextDocNumber(db(), s, kind.at(0)), expected);
        // The created header takes exactly that number.
        const qint64 key = create(s, addCustomer(db()), kind.at(0));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT szlaszam FROM szla WHERE szla=?"), -1, {key}),
                 expected);
    }

    void createDocumentHeader() {
        const QVariantMap issuer =
            fields("tulajdonos=Kibocsátó Bt.|irsz=1111|varos=Budapest|cim=Fő|kerulet=XI.|kozterulet=utca|"
                   "hazszam=1|epulet=A|lepcsohaz=2|szint=3|ajto=4|adoszam=12345678-1-11|"
                   "bankszamlaszam=11111111-22222222|kozadoszam=HU12345678|vallig=ER-1|vallignev=Kis Ádám");
        db().execSql(
            QStringLiteral("UPDATE tulajdonos SET %1=?").arg(issuer.keys().join(QStringLiteral("=?, "))),
            issuer.values());
        const qint64 customer = addCustomer(
            db(),
            fields(
                "ugyfel_nev=Vevő Zrt.|szla_irsz=6720|szla_varos=Szeged|szla_cim=Kárász|"
                "szla_kerulet=Belváros|szla_kozterulet=utca|szla_hazszam=5|szla_ajto=2|adoszam=87654321-2-06|"
                "kozadoszam=HU87654321|bankszamla=99999999-88888888|kedvezmeny=12.5|afas=N|fiztip=2"));
        Settings s;
        s.szlabetu = QStringLiteral("XY");
        s.alapvaros = QStringLiteral("Pécs");
        s.alapmegjegyzes = QStringLiteral("Köszönjük!");
        s.vantermdij = true;
        s.termdijszoveg = QStringLiteral("Termékdíj átvállalva");
        s.kata = s.egyeni = s.penzforgelsz = true;
        s.alapfiztip = 1;
        CurrentUser user;
        user.name = QStringLiteral("kovacs");
        ScriptedDialogs dialogs;
        NewDocument doc;
        doc.customer = customer;
        doc.reverseCharge = true;
        doc.gross = 1270;
        doc.vat = 270;
        doc.net = 1000;
        const qint64 key = CreateDocument(db(), dialogs, s, user, doc, kToday);
        QVERIFY(dialogs.asked.isEmpty());

        // Settings and totals; the customer (its town, not alapvaros), its
        // payment method (not alapfiztip); the issuer, whose own account
        // stands as there is none for HUF in table vat.
        const QVariantMap expected = fields(
            "prntip=S|szlaszam=1|fa=I|szlabetu=XY|eredeti=-1|eredetistr=|dat_kiadva=2026-03-14|storno=N|"
            "konyvelve=N|neta=N|adoment_hiv=N|nyomtatva=0|netto=1000|afa=270|brutto=1270|megjegyzes="
            "Köszönjük!|"
            "alkalmazott=kovacs|penzforgelsz=I|tkata=I|tegyeni=I|vantermdij=I|termdijszoveg=Termékdíj "
            "átvállalva|"
            "kuldve=0|szallev=0|ugyfel_cim=-1|"
            "ugyfel_nev=Vevő Zrt.|szla_irsz=6720|szla_varos=Szeged|szla_cim=Kárász|szla_kerulet=Belváros|"
            "szla_kozterulet=utca|szla_hazszam=5|szla_ajto=2|adoszam=87654321-2-06|kozadoszam=HU87654321|"
            "bankszamla=99999999-88888888|kedvezmeny=12.5|afas=N|vat=HUF|arfolyam=1|"
            "fiztip=2|fiztip_nev=Átutalás|fizetve=N|penzfizetve=0|dat_fizhat=2026-03-22|"
            "tulajdonos=Kibocsátó "
            "Bt.|tirsz=1111|tvaros=Budapest|tcim=Fő|tkerulet=XI.|tkozterulet=utca|thazszam=1|"
            "tepulet=A|tlepcsohaz=2|tszint=3|tajto=4|tadoszam=12345678-1-11|tbank=11111111-22222222|"
            "tkozadoszam=HU12345678|tvallig=ER-1|tvallignev=Kis Ádám|tbankszamla=11111111-22222222");
        compareRow(db(), key, expected);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT ugyfel FROM szla WHERE szla=?"), 0, {key}), customer);
    }

    // The customer's payment method decides the paid flag and both dates.
    void paymentTerms_data() {
        QTest::addColumn<QVariant>("customerMethod");
        QTest::addColumn<int>("alapfiztip");
        QTest::addColumn<bool>("teljkiad");
        QTest::addColumn<QString>("fizetve");
        QTest::addColumn<int>("deliveryDays");
        QTest::addColumn<int>("dueDays");
        QTest::addColumn<QString>("methodName");
        QTest::addColumn<bool>("paidAmountZero");
        QTest::newRow("cash") << QVariant(1) << 2 << false << "I" << 0 << 0 << "Készpénz" << false;
        QTest::newRow("transfer, teljkiad off: both dates +8")
            << QVariant(2) << 1 << false << "N" << 8 << 8 << "Átutalás" << true;
        QTest::newRow("transfer, teljkiad on")
            << QVariant(2) << 1 << true << "N" << 0 << 8 << "Átutalás" << true;
        QTest::newRow("customer without method: the default")
            << QVariant() << 2 << true << "N" << 0 << 8 << "Átutalás" << true;
        QTest::newRow("unknown method: paid, today")
            << QVariant(99) << 2 << false << "I" << 0 << 0 << "" << false;
        QTest::newRow("unknown default method") << QVariant() << 77 << false << "I" << 0 << 0 << "" << false;
    }
    void paymentTerms() {
        QFETCH(QVariant, customerMethod);
        QFETCH(int, alapfiztip);
        QFETCH(bool, teljkiad);
        QFETCH(QString, fizetve);
        QFETCH(int, deliveryDays);
        QFETCH(int, dueDays);
        QFETCH(QString, methodName);
        QFETCH(bool, paidAmountZero);
        QVariantMap values;
        if (customerMethod.isValid())
            values[QStringLiteral("fiztip")] = customerMethod;
        Settings s;
        s.alapfiztip = alapfiztip;
        s.teljkiad = teljkiad;
        const qint64 key = create(s, addCustomer(db(), values));
        const QVariantMap h = row(db(), QStringLiteral("SELECT * FROM szla WHERE szla=?"), {key});
        QCOMPARE(h.value("fizetve").toString(), fizetve);
        QCOMPARE(h.value("dat_szallhat").toString(), iso(kToday.addDays(deliveryDays)));
        QCOMPARE(h.value("dat_fizhat").toString(), iso(kToday.addDays(dueDays)));
        QCOMPARE(h.value("fiztip_nev").toString(), methodName);
        QCOMPARE(h.value("penzfizetve").isNull(), !paidAmountZero);
    }

    // Documents already issued ("date currency rate") and what the rate of a
    // new document in a currency becomes.
    void exchangeRate_data() {
        QTest::addColumn<QStringList>("issued");
        QTest::addColumn<QString>("currency");
        QTest::addColumn<QVariantList>("answers");
        QTest::addColumn<double>("expected");
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("errors");
        const QString today = iso(kToday);
        const QString yesterday = iso(kToday.addDays(-1));
        QTest::newRow("HUF") << QStringList{} << "HUF" << QVariantList{} << 1.0 << 0 << 0;
        QTest::newRow("asked") << QStringList{} << "EUR" << QVariantList{398.5} << 398.5 << 1 << 0;
        QTest::newRow("today's rate reused") << QStringList{today + " EUR 395", today + " EUR 401"} << "EUR"
                                             << QVariantList{} << 401.0 << 0 << 0;
        QTest::newRow("a stored 1 asks again")
            << QStringList{today + " EUR 1"} << "EUR" << QVariantList{410.0} << 410.0 << 1 << 0;
        QTest::newRow("yesterday's rate is not today's")
            << QStringList{yesterday + " EUR 395"} << "EUR" << QVariantList{402.0} << 402.0 << 1 << 0;
        QTest::newRow("other currency")
            << QStringList{today + " EUR 395"} << "USD" << QVariantList{360.0} << 360.0 << 1 << 0;
        QTest::newRow("cancel keeps 1")
            << QStringList{} << "EUR" << QVariantList{QVariant()} << 1.0 << 1 << 0;
        QTest::newRow("below 1 refused, asked again")
            << QStringList{} << "EUR" << QVariantList{0.0, -5.0, 399.0} << 399.0 << 3 << 2;
        QTest::newRow("beyond a million refused, asked again")
            << QStringList{} << "EUR" << QVariantList{4e6, 1e300, 401.0} << 401.0 << 3 << 2;
    }
    void exchangeRate() {
        QFETCH(QStringList, issued);
        QFETCH(QString, currency);
        QFETCH(QVariantList, answers);
        QFETCH(double, expected);
        QFETCH(int, questions);
        QFETCH(int, errors);
        qint64 number = 0;
        for (const QString& d : issued) {
            const QStringList p = d.split(QLatin1Char(' '));
            addDocument(db(), QStringLiteral("S"), ++number,
                        {{"dat_kiadva", p.at(0)}, {"vat", p.at(1)}, {"arfolyam", p.at(2).toDouble()}});
        }
        ScriptedDialogs dialogs;
        for (const QVariant& a : answers)
            dialogs.answers.push_back(a);
        QCOMPARE(AskExchangeRate(db(), dialogs, currency, kToday), expected);
        const QStringList asked = dialogs.askedOf(QStringLiteral("inputNumber"));
        QCOMPARE(asked.size(), questions);
        for (const QString& a : asked)
            QCOMPARE(a, QStringLiteral("Árfolyam | Add meg az árfolyamot (") + currency + QLatin1Char(')'));
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")).size(), errors);
    }

    void foreignCurrencyDocument() {
        db().execSql(QStringLiteral("UPDATE vat SET bankszamla='EUR-IBAN' WHERE vat='EUR'"));
        const qint64 customer = addCustomer(db(), {{"vat", "EUR"}});
        ScriptedDialogs dialogs;
        dialogs.answers.push_back(400.0);
        const qint64 first = create(Settings{}, customer, kKindInvoice, &dialogs);
        // The second document of the day takes the rate without asking.
        const qint64 second = create(Settings{}, customer, kKindInvoice, &dialogs);
        QCOMPARE(dialogs.askedOf(QStringLiteral("inputNumber")).size(), 1);
        for (const qint64 key : {first, second}) {
            const QVariantMap h =
                row(db(), QStringLiteral("SELECT vat, arfolyam, tbankszamla FROM szla WHERE szla=?"), {key});
            QCOMPARE(h.value("vat").toString(), QStringLiteral("EUR"));
            QCOMPARE(h.value("arfolyam").toDouble(), 400.0);
            QCOMPARE(h.value("tbankszamla").toString(), QStringLiteral("EUR-IBAN"));
        }
        // A rate given by the caller is taken as it is.
        NewDocument doc;
        doc.customer = customer;
        doc.exchangeRate = 390.5;
        const qint64 third = CreateDocument(db(), dialogs, Settings{}, CurrentUser{}, doc, kToday);
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT arfolyam FROM szla WHERE szla=?"), 0, {third}),
                 390.5);
        QCOMPARE(dialogs.askedOf(QStringLiteral("inputNumber")).size(), 1);
    }

    void refusedDocuments() {
        ScriptedDialogs dialogs;
        NewDocument doc;
        doc.customer = 4711;
        QVERIFY_THROWS_EXCEPTION(DocumentError,
                                 CreateDocument(db(), dialogs, Settings{}, CurrentUser{}, doc, kToday));
        doc.customer = addCustomer(db());
        doc.kind = QLatin1Char('?');
        QVERIFY_THROWS_EXCEPTION(DocumentError,
                                 CreateDocument(db(), dialogs, Settings{}, CurrentUser{}, doc, kToday));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), -1), 0);
    }

    // A line's rate and product flag, and where its unit amounts land.
    void vatBands_data() {
        QTest::addColumn<double>("rate");
        QTest::addColumn<bool>("exempt");
        QTest::addColumn<QString>("band"); // "0", "12", "25", "tm" or "none"
        QTest::newRow("5 %") << 5.0 << false << "0";
        QTest::newRow("18 %") << 18.0 << false << "12";
        QTest::newRow("27 %") << 27.0 << false << "25";
        QTest::newRow("0 % exempt") << 0.0 << true << "tm";
        QTest::newRow("0 % not exempt") << 0.0 << false << "0";
        QTest::newRow("9.5 % rounds to 10") << 9.5 << false << "12";
        QTest::newRow("10.5 % rounds to 10") << 10.5 << false << "12";
        QTest::newRow("19.5 % rounds to 20") << 19.5 << false << "25";
        QTest::newRow("9.4 %") << 9.4 << false << "0";
        QTest::newRow("50.4 %") << 50.4 << false << "25";
        QTest::newRow("50.5 % rounds to 50") << 50.5 << false << "25";
        QTest::newRow("60 %") << 60.0 << false << "none";
        QTest::newRow("-1 %") << -1.0 << false << "none";
        QTest::newRow("-0.5 % rounds to 0") << -0.5 << false << "0";
        QTest::newRow("exempt product at 27 %") << 27.0 << true << "25";
    }
    void vatBands() {
        QFETCH(double, rate);
        QFETCH(bool, exempt);
        QFETCH(QString, band);
        const qint64 key = create(Settings{}, addCustomer(db()));
        const UnitAmounts unit = UnitAmountsFromNet(200, rate);
        DocumentLine line;
        line.productCode = QStringLiteral("X1");
        line.subjectExempt = exempt;
        line.lineNumber = 1;
        line.unitNet = unit.net;
        line.unitVat = unit.vat;
        line.unitGross = unit.gross;
        line.quantity = 3;
        line.vatRate = rate;
        AddDocumentLine(db(), key, line, kToday);
        const QVariantMap r = row(db(), QStringLiteral("SELECT * FROM szla_sor WHERE szla=?"), {key});
        for (const QString b : {"0", "12", "25"}) {
            const bool here = b == band;
            QCOMPARE(r.value("netto" + b).toDouble(), here ? unit.net : 0.0);
            QCOMPARE(r.value("afa" + b).toDouble(), here ? unit.vat : 0.0);
            QCOMPARE(r.value("brutto" + b).toDouble(), here ? unit.gross : 0.0);
        }
        QCOMPARE(r.value("tm").toDouble(), band == QLatin1String("tm") ? unit.net : 0.0);
        // The line's own amounts stay whatever the band.
        QCOMPARE(r.value("netto").toDouble(), unit.net);
        QCOMPARE(r.value("afa").toDouble(), unit.vat);
        QCOMPARE(r.value("brutto").toDouble(), unit.gross);
        QCOMPARE(r.value("egysar").toDouble(), unit.net);
        QCOMPARE(r.value("db").toDouble(), 3.0);
        QCOMPARE(r.value("afakulcs").toDouble(), rate);
        QCOMPARE(r.value("tipus").toString(), QStringLiteral("N"));
        QCOMPARE(r.value("datum").toString(), iso(kToday));
    }

    void unitAmounts_data() {
        QTest::addColumn<bool>("fromGross");
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("net");
        QTest::addColumn<double>("vat");
        QTest::addColumn<double>("gross");
        QTest::newRow("net 1000 at 27") << false << 1000.0 << 27.0 << 1000.0 << 270.0 << 1270.0;
        QTest::newRow("gross 1270 at 27") << true << 1270.0 << 27.0 << 1000.0 << 270.0 << 1270.0;
        QTest::newRow("gross 105 at 5") << true << 105.0 << 5.0 << 100.0 << 5.0 << 105.0;
        QTest::newRow("net at 0") << false << 80.0 << 0.0 << 80.0 << 0.0 << 80.0;
        QTest::newRow("gross at 0") << true << 80.0 << 0.0 << 80.0 << 0.0 << 80.0;
    }
    void unitAmounts() {
        QFETCH(bool, fromGross);
        QFETCH(double, price);
        QFETCH(double, rate);
        QFETCH(double, net);
        QFETCH(double, vat);
        QFETCH(double, gross);
        const UnitAmounts u = fromGross ? UnitAmountsFromGross(price, rate) : UnitAmountsFromNet(price, rate);
        QVERIFY(qAbs(u.net - net) < 1e-9);
        QVERIFY(qAbs(u.vat - vat) < 1e-9);
        QVERIFY(qAbs(u.gross - gross) < 1e-9);
    }

    void lineProductData() {
        insert(db(), QStringLiteral("cikkszam"),
               {{"cikkszam", "A1"},
                {"cikkszam_nev", "Alma"},
                {"vtsz", "0808"},
                {"mert", "kg"},
                {"eloleg", "N"},
                {"kozv_szolgaltatas", "I"},
                {"kulonb_szer_szab", 2}});
        const qint64 key = create(Settings{}, addCustomer(db()));
        DocumentLine known;
        known.productCode = QStringLiteral("A1");
        known.note = QStringLiteral("piros");
        known.lineNumber = 1;
        known.quantity = 1;
        AddDocumentLine(db(), key, known, kToday);
        DocumentLine unknown = known;
        unknown.productCode = QStringLiteral("NINCS");
        unknown.lineNumber = 2;
        AddDocumentLine(db(), key, unknown, kToday);

        const QVariantMap a =
            row(db(), QStringLiteral("SELECT * FROM szla_sor WHERE szla=? AND sor=1"), {key});
        QCOMPARE(a.value("cikkszam_nev").toString(), QStringLiteral("Alma"));
        QCOMPARE(a.value("vtsz").toString(), QStringLiteral("0808"));
        QCOMPARE(a.value("mert").toString(), QStringLiteral("kg"));
        QCOMPARE(a.value("kozv_szolgaltatas").toString(), QStringLiteral("I"));
        QCOMPARE(a.value("kulonb_szer_szab").toInt(), 2);
        QCOMPARE(a.value("megjegyzes").toString(), QStringLiteral("piros"));
        // An unknown code keeps its code and takes nothing from the product
        // added before it.
        const QVariantMap b =
            row(db(), QStringLiteral("SELECT * FROM szla_sor WHERE szla=? AND sor=2"), {key});
        QCOMPARE(b.value("cikkszam").toString(), QStringLiteral("NINCS"));
        for (const char* f : {"cikkszam_nev", "vtsz", "mert", "eloleg", "kozv_szolgaltatas"})
            QVERIFY2(b.value(f).toString().isEmpty(), f);
        QVERIFY(b.value("kulonb_szer_szab").isNull());
    }

    void lineRefused() {
        DocumentLine line;
        line.quantity = 1;
        QVERIFY_THROWS_EXCEPTION(DocumentError, AddDocumentLine(db(), 999, line, kToday));
        const qint64 key = create(Settings{}, addCustomer(db()));
        db().execSql(QStringLiteral("UPDATE szla SET konyvelve='I' WHERE szla=?"), {key});
        QVERIFY_THROWS_EXCEPTION(DocumentError, AddDocumentLine(db(), key, line, kToday));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor"), -1), 0);
    }

    void createWithLines() {
        const qint64 customer = addCustomer(db());
        std::vector<DocumentLine> lines;
        for (int i = 1; i <= 2; ++i) {
            const UnitAmounts u = UnitAmountsFromNet(100.0 * i, 27);
            DocumentLine l;
            l.productCode = QStringLiteral("P%1").arg(i);
            l.lineNumber = i;
            l.unitNet = u.net;
            l.unitVat = u.vat;
            l.unitGross = u.gross;
            l.quantity = i + 1;
            l.vatRate = 27;
            lines.push_back(l);
        }
        ScriptedDialogs dialogs;
        NewDocument doc;
        doc.customer = customer;
        const qint64 key =
            CreateDocumentWithLines(db(), dialogs, Settings{}, CurrentUser{}, doc, lines, kToday);
        // 100 × 2 + 200 × 3
        const QVariantMap h =
            row(db(), QStringLiteral("SELECT netto, afa, brutto FROM szla WHERE szla=?"), {key});
        QCOMPARE(h.value("netto").toDouble(), 800.0);
        QCOMPARE(h.value("afa").toDouble(), 216.0);
        QCOMPARE(h.value("brutto").toDouble(), 1016.0);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor WHERE szla=?"), -1, {key}), 2);

        // A line that cannot be written takes the header with it.
        db().execSql(QStringLiteral("CREATE TRIGGER fail_line BEFORE INSERT ON szla_sor WHEN NEW.sor = 2 "
                                    "BEGIN SELECT RAISE(ABORT, 'injected line failure'); END"));
        QVERIFY_THROWS_EXCEPTION(
            DbError, CreateDocumentWithLines(db(), dialogs, Settings{}, CurrentUser{}, doc, lines, kToday));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), -1), 1);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor"), -1), 2);
        QVERIFY(!db().inTransaction());
    }

    void counterDocument_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("credit note") << "J";
        QTest::newRow("cancelling document") << "W";
    }
    void counterDocument() {
        QFETCH(QString, kind);
        const qint64 customer = addCustomer(db());
        QVariantMap source = fields(
            "szlabetu=SA|dat_kiadva=2024-11-05|dat_szallhat=2024-11-04|dat_fizhat=2024-11-13|megjegyzes="
            "eredeti|"
            "fa=I|ugyfel_nev=Vevő|netto=1000|afa=270|brutto=1270|netto2=1000|afa2=270|konyvelve=I|storno=N|"
            "nyomtatva=2|kuldve=1|fizetve=I|penzfizetve=1270|dat_fizetve=2024-11-05|alkalmazott=anna|"
            "felhasznalo=anna|vat=HUF|arfolyam=1");
        source[QStringLiteral("ugyfel")] = customer;
        const qint64 original = addDocument(db(), QStringLiteral("S"), 123, source);
        for (int sor = 1; sor <= 2; ++sor)
            insert(db(), QStringLiteral("szla_sor"),
                   {{"szla", original},
                    {"sor", sor},
                    {"cikkszam", QStringLiteral("C%1").arg(sor)},
                    {"db", 2.0 * sor},
                    {"netto", 100.0 * sor},
                    {"afa", 27.0 * sor},
                    {"brutto", 127.0 * sor},
                    {"netto25", 100.0 * sor},
                    {"afakulcs", 27.0}});
        addDocument(db(), QStringLiteral("S"), 124);
        CurrentUser user;
        user.name = QStringLiteral("bela");
        const qint64 copy = CopyAsCounterDocument(db(), Settings{}, user, original, kind.at(0), kToday);

        // Numbered in the shared sequence, today's, referring to the source,
        // amounts negated, unposted, unsent; payment fields as they were.
        QVariantMap expected = fields(
            "szlaszam=125|eredetistr=SA0000123-S/2024|dat_kiadva=2026-03-14|dat_szallhat=2024-11-04|"
            "dat_fizhat=2026-03-14|megjegyzes=eredeti|fa=I|storno=N|konyvelve=N|nyomtatva=0|kuldve=0|"
            "netto=-1000|afa=-270|brutto=-1270|netto2=-1000|afa2=-270|ugyfel_nev=Vevő|szlabetu=SA|fizetve=I|"
            "penzfizetve=1270|dat_fizetve=2024-11-05|alkalmazott=bela|felhasznalo=");
        expected[QStringLiteral("prntip")] = kind;
        expected[QStringLiteral("eredeti")] = original;
        expected[QStringLiteral("ugyfel")] = customer;
        compareRow(db(), copy, expected);

        // Same unit amounts, negative quantities, in line order.
        QSqlQuery q =
            db().select(QStringLiteral("SELECT sor || ' ' || cikkszam || ' ' || db || ' ' || netto || ' ' || "
                                       "afa || ' ' || brutto || ' ' || netto25 FROM szla_sor "
                                       "WHERE szla=? ORDER BY sor"),
                        {copy});
        QStringList lines;
        while (q.next())
            lines << q.value(0).toString();
        QCOMPARE(lines,
                 (QStringList{"1 C1 -2.0 100.0 27.0 127.0 100.0", "2 C2 -4.0 200.0 54.0 254.0 200.0"}));
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT SUM(db) FROM szla_sor WHERE szla=?"), 0, {original}),
                 6.0);
        // A cancelling document marks its source cancelled; a credit note does not.
        QCOMPARE(db().queryText(QStringLiteral("SELECT storno FROM szla WHERE szla=?"), {}, {original}),
                 kind == QLatin1String("W") ? QStringLiteral("I") : QStringLiteral("N"));
    }

    // A document is cancelled once: a second cancelling document, one of a
    // document cancelled otherwise, and one of a cancelling document are
    // refused and write nothing; credit notes may follow one another.
    void counterDocumentOnce_data() {
        QTest::addColumn<QString>("first");  // counter-document made first ("": none)
        QTest::addColumn<QString>("source"); // "S", "W" (the first copy), "cancelled" (storno I)
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("refused");
        QTest::newRow("second cancelling document") << "W"
                                                    << "S"
                                                    << "W" << true;
        QTest::newRow("cancelling document of a cancelling document") << "W"
                                                                      << "W"
                                                                      << "W" << true;
        QTest::newRow("cancelled without one") << ""
                                               << "cancelled"
                                               << "W" << true;
        QTest::newRow("credit note after a credit note") << "J"
                                                         << "S"
                                                         << "J" << false;
        QTest::newRow("cancelling document after a credit note") << "J"
                                                                 << "S"
                                                                 << "W" << false;
    }
    void counterDocumentOnce() {
        QFETCH(QString, first);
        QFETCH(QString, source);
        QFETCH(QString, second);
        QFETCH(bool, refused);
        const qint64 invoice = addDocument(db(), QStringLiteral("S"), 1,
                                           {{"storno", source == QLatin1String("cancelled") ? "I" : "N"},
                                            {"netto", 100.0}});
        insert(db(), QStringLiteral("szla_sor"), {{"szla", invoice}, {"sor", 1}, {"db", 1.0}, {"netto", 100.0}});
        qint64 copy = 0;
        if (!first.isEmpty())
            copy = CopyAsCounterDocument(db(), Settings{}, CurrentUser{}, invoice, first.at(0), kToday);
        const qint64 target = source == QLatin1String("W") ? copy : invoice;
        const qint64 documents = db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), -1);
        const qint64 lines = db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor"), -1);
        if (refused) {
            QVERIFY_THROWS_EXCEPTION(DocumentError, CopyAsCounterDocument(db(), Settings{}, CurrentUser{},
                                                                          target, second.at(0), kToday));
            QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), -1), documents);
            QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor"), -1), lines);
            QVERIFY(!db().inTransaction());
        } else {
            CopyAsCounterDocument(db(), Settings{}, CurrentUser{}, target, second.at(0), kToday);
            QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), -1), documents + 1);
        }
        // Whatever was refused, a cancelled source stays marked.
        const bool cancelled = first == QLatin1String("W") || second == QLatin1String("W") ||
                               source == QLatin1String("cancelled");
        QCOMPARE(db().queryText(QStringLiteral("SELECT storno FROM szla WHERE szla=?"), {}, {invoice}),
                 cancelled ? QStringLiteral("I") : QStringLiteral("N"));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE prntip='W' AND eredeti=?"), -1,
                               {invoice}),
                 qint64(cancelled && source != QLatin1String("cancelled") ? 1 : 0));
    }

    // What a document cannot hold is refused before anything is written: a
    // line's price, quantity, rate or value beyond the bounds or not finite,
    // totals beyond them, an exchange rate beyond a million.
    void documentBounds_data() {
        QTest::addColumn<double>("net");
        QTest::addColumn<double>("quantity");
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("lines");
        QTest::addColumn<double>("exchangeRate"); // 0: a forint document
        QTest::addColumn<QString>("message");     // empty: accepted
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("a large price and value") << 7e11 << 1.0 << 27.0 << 1 << 0.0 << "";
        QTest::newRow("price 1e300") << 1e300 << 1e300 << 27.0 << 1 << 0.0 << "Az egységár (1e+300) túl nagy";
        QTest::newRow("infinite price") << inf << 1.0 << 27.0 << 1 << 0.0 << "Az egységár nem véges szám.";
        QTest::newRow("VAT of 1e308 overflows") << 1e308 << 1.0 << 27.0 << 1 << 0.0 << "túl nagy";
        QTest::newRow("quantity beyond a billion") << 1.0 << 2e9 << 27.0 << 1 << 0.0 << "A mennyiség";
        QTest::newRow("not a number") << std::nan("") << 1.0 << 27.0 << 1 << 0.0 << "nem véges szám";
        QTest::newRow("line value beyond") << 1e9 << -2000.0 << 27.0 << 1 << 0.0 << "A tétel értéke";
        QTest::newRow("rate beyond") << 10.0 << 1.0 << 5000.0 << 1 << 0.0 << "Az áfakulcs";
        QTest::newRow("totals beyond, lines within") << 6e11 << 1.0 << 0.0 << 2 << 0.0
                                                     << "A bizonylat nettó összege";
        QTest::newRow("exchange rate beyond a million") << 10.0 << 1.0 << 27.0 << 1 << 2e6
                                                        << "Érvénytelen árfolyam";
    }
    void documentBounds() {
        QFETCH(double, net);
        QFETCH(double, quantity);
        QFETCH(double, rate);
        QFETCH(int, lines);
        QFETCH(double, exchangeRate);
        QFETCH(QString, message);
        NewDocument doc;
        doc.customer = addCustomer(db(), {{"vat", exchangeRate > 0 ? "EUR" : "HUF"}});
        if (exchangeRate > 0)
            doc.exchangeRate = exchangeRate;
        std::vector<DocumentLine> rows;
        for (int i = 1; i <= lines; ++i) {
            DocumentLine l;
            const UnitAmounts u = UnitAmountsFromNet(net, rate);
            l.lineNumber = i;
            l.unitNet = u.net;
            l.unitVat = u.vat;
            l.unitGross = u.gross;
            l.quantity = quantity;
            l.vatRate = rate;
            rows.push_back(l);
        }
        ScriptedDialogs dialogs;
        if (message.isEmpty()) {
            CreateDocumentWithLines(db(), dialogs, Settings{}, CurrentUser{}, doc, rows, kToday);
            QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor"), -1), qint64(lines));
            return;
        }
        try {
            CreateDocumentWithLines(db(), dialogs, Settings{}, CurrentUser{}, doc, rows, kToday);
            QFAIL("accepted");
        } catch (const DocumentError& e) {
            QVERIFY2(e.text().contains(message), qPrintable(e.text()));
        }
        // One line on its own goes through the same check.
        if (lines == 1 && exchangeRate == 0) {
            const qint64 key = create(Settings{}, doc.customer);
            QVERIFY_THROWS_EXCEPTION(DocumentError, AddDocumentLine(db(), key, rows.front(), kToday));
            db().execSql(QStringLiteral("DELETE FROM szla WHERE szla=?"), {key});
        }
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), -1), 0);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor"), -1), 0);
    }

    // A failure halfway through the copy leaves nothing of it.
    void counterDocumentAtomic() {
        const qint64 source = addDocument(db(), QStringLiteral("S"), 1, {{"netto", 10.0}});
        for (int sor = 1; sor <= 3; ++sor)
            insert(db(), QStringLiteral("szla_sor"), {{"szla", source}, {"sor", sor}, {"db", 1.0}});
        db().execSql(QStringLiteral("CREATE TRIGGER fail_copy BEFORE INSERT ON szla_sor WHEN NEW.db < 0 AND "
                                    "NEW.sor = 2 BEGIN SELECT RAISE(ABORT, 'injected copy failure'); END"));
        QVERIFY_THROWS_EXCEPTION(
            DbError, CopyAsCounterDocument(db(), Settings{}, CurrentUser{}, source, kKindCreditNote, kToday));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), -1), 1);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor"), -1), 3);
        QVERIFY(!db().inTransaction());
        // Inside a larger transaction only the copy's own part is undone.
        {
            Database::Transaction outer(db());
            addDocument(db(), QStringLiteral("P"), 1);
            QVERIFY_THROWS_EXCEPTION(DbError, CopyAsCounterDocument(db(), Settings{}, CurrentUser{}, source,
                                                                    kKindCreditNote, kToday));
            outer.commit();
        }
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), -1), 2);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor"), -1), 3);
    }

    void counterDocumentRefused() {
        QVERIFY_THROWS_EXCEPTION(DocumentError, CopyAsCounterDocument(db(), Settings{}, CurrentUser{}, 77,
                                                                      kKindCancelling, kToday));
        const qint64 source = addDocument(db(), QStringLiteral("S"), 1);
        QVERIFY_THROWS_EXCEPTION(DocumentError, CopyAsCounterDocument(db(), Settings{}, CurrentUser{}, source,
                                                                      kKindInvoice, kToday));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), -1), 1);
    }

    void docNumberText_data() {
        QTest::addColumn<qint64>("number");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QDate>("issued");
        QTest::addColumn<QString>("expected");
        QTest::newRow("example") << qint64(123) << "S"
                                 << "SA" << QDate(2024, 5, 1) << "SA0000123-S/2024";
        QTest::newRow("eight digits kept") << qint64(12345678) << "S"
                                           << "SA" << QDate(2024, 1, 1) << "SA12345678-S/2024";
        QTest::newRow("seven digits") << qint64(1234567) << "J"
                                      << "SB" << QDate(2025, 12, 31) << "SB1234567-J/2025";
        QTest::newRow("proforma, no prefix") << qint64(1) << "P"
                                             << "" << QDate(2026, 1, 1) << "0000001-P/2026";
        QTest::newRow("prefix with trailing blank") << qint64(5) << "W"
                                                    << "A " << QDate(2026, 6, 1) << "A0000005-W/2026";
    }
    void docNumberText() {
        QFETCH(qint64, number);
        QFETCH(QString, kind);
        QFETCH(QString, prefix);
        QFETCH(QDate, issued);
        QFETCH(QString, expected);
        QCOMPARE(DocNumberText(number, kind.at(0), prefix, issued), expected);
    }

    void addressLine_data() {
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<QString>("expected");
        QTest::newRow("full") << QStringList{"1111", "Budapest", "XI.", "Fő", "utca", "1", "A", "2", "3", "4"}
                              << "1111 Budapest XI., Fő utca 1 A 2 3 4";
        QTest::newRow("no postal code")
            << QStringList{"", "Szeged", "", "Kárász", "utca", "5", "", "", "", ""}
            << "Szeged , Kárász utca 5 ";
        QTest::newRow("street part alone")
            << QStringList{"", "", "", "Kossuth", "tér", "2", "", "", "1", "3"} << "Kossuth tér 2 1 3";
        QTest::newRow("district only")
            << QStringList{"", "", "Belváros", "Fő", "", "", "", "", "", ""} << "Belváros, Fő ";
        QTest::newRow("empty") << QStringList{"", "", "", "", "", "", "", "", "", ""} << "";
        QTest::newRow("fixed-width blanks")
            << QStringList{"6720 ", "Szeged   ", "", "Tisza  ", "", "", "", "", "", ""}
            << "6720 Szeged , Tisza ";
    }
    void addressLine() {
        QFETCH(QStringList, parts);
        QFETCH(QString, expected);
        QCOMPARE(AddressLine(parts[0], parts[1], parts[2], parts[3], parts[4], parts[5], parts[6], parts[7],
                             parts[8], parts[9]),
                 expected);
    }

    void lookups() {
        QCOMPARE(NextDeliveryNoteNumber(db()), qint64(1));
        addDocument(db(), QStringLiteral("S"), 1, {{"szallev", 7}});
        addDocument(db(), QStringLiteral("S"), 2, {{"szallev", 0}});
        QCOMPARE(NextDeliveryNoteNumber(db()), qint64(8));

        const qint64 edi = addCustomer(db(), {{"emil", "vevo@pelda.hu "}, {"edi", "I"}});
        const qint64 plain = addCustomer(db(), {{"edi", "N"}});
        QCOMPARE(CustomerEmail(db(), edi), QStringLiteral("vevo@pelda.hu"));
        QCOMPARE(CustomerEmail(db(), plain), QString());
        QCOMPARE(CustomerEmail(db(), 999), QString());
        const qint64 ediDoc = addDocument(db(), QStringLiteral("S"), 3, {{"ugyfel", edi}});
        const qint64 plainDoc = addDocument(db(), QStringLiteral("S"), 4, {{"ugyfel", plain}});
        QVERIFY(IsEdiCustomer(db(), ediDoc));
        QVERIFY(!IsEdiCustomer(db(), plainDoc));
        QVERIFY(!IsEdiCustomer(db(), 999));
    }

    void reverseChargeChoice_data() {
        QTest::addColumn<bool>("vanfa");
        QTest::addColumn<QVariant>("answer"); // the window's answer; invalid = cancelled
        QTest::addColumn<QVariant>("expected");
        QTest::addColumn<int>("calls");
        QTest::newRow("vanfa off: ordinary, not asked") << false << QVariant(true) << QVariant(false) << 0;
        QTest::newRow("normal") << true << QVariant(false) << QVariant(false) << 1;
        QTest::newRow("reverse charge") << true << QVariant(true) << QVariant(true) << 1;
        QTest::newRow("cancelled") << true << QVariant() << QVariant() << 1;
    }
    void reverseChargeChoice() {
        QFETCH(bool, vanfa);
        QFETCH(QVariant, answer);
        QFETCH(QVariant, expected);
        QFETCH(int, calls);
        CountingChooser chooser;
        if (answer.isValid())
            chooser.answer = answer.toBool();
        Settings s;
        s.vanfa = vanfa;
        const std::optional<bool> result = ChooseReverseCharge(s, chooser);
        QCOMPARE(chooser.calls, calls);
        QCOMPARE(result.has_value(), expected.isValid());
        if (result)
            QCOMPARE(*result, expected.toBool());
    }
};

QTEST_GUILESS_MAIN(DocumentsTest)
#include "documents_test.moc"
