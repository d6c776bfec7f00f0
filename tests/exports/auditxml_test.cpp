// The tax authority's audit file: every file written is validated against the
// authority's schema and read back with libxml2.
#include "AuditFixture.h"
#include "XmlCheck.h"

#include "exports/AuditXml.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvix;
using namespace orvix::test;

namespace {

const QDate kDay(2026, 3, 2);

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString amount(double v) { return QString::fromLatin1(auditAmount(v)); }

// The szamla element of a document, by its printed number.
QString doc(const QString& number) {
    return QStringLiteral("/n:szamlak/n:szamla[n:fejlec/n:szlasorszam='%1']").arg(number);
}

} // namespace

class AuditXmlTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_out;

    QString outFile(const QString& name) const { return m_out.filePath(name); }

    // Writes the selection, checks the file against the schema and returns the result.
    AuditExportResult exportValid(Database& db, const AuditSelection& s, const QString& path) {
        const AuditExportResult r = writeAuditXml(db, s, path, kDay);
        const QStringList errors = schemaErrors(path);
        if (!errors.isEmpty())
            qWarning().noquote() << errors.join(QLatin1Char('\n'));
        return errors.isEmpty() ? r : AuditExportResult{-1, -1, {}};
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_out.isValid());
        QVERIFY2(QFile::exists(auditSchemaPath()), qPrintable(auditSchemaPath()));
    }

    void cleanupTestCase() { xmlCleanupParser(); }

    void amounts_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("whole") << 3000.0 << "3000.00";
        QTest::newRow("rate") << 27.0 << "27.00";
        QTest::newRow("negative") << -1234.5 << "-1234.50";
        QTest::newRow("rounded up") << 810.005000001 << "810.01";
        QTest::newRow("tiny negative is zero") << -0.004 << "0.00";
        QTest::newRow("no grouping") << 1234567.891 << "1234567.89";
    }
    void amounts() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(amount(value), expected);
    }

    void texts_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("entities") << "A & B <C>" << 100 << QByteArray("A &amp; B &lt;C&gt;");
        QTest::newRow("not trimmed") << " x " << 100 << QByteArray(" x ");
        QTest::newRow("cut before an entity, never inside")
            << QString(98, QLatin1Char('a')) + QStringLiteral("&<&") << 100
            << QByteArray(98, 'a') + "&amp;&lt;";
        QTest::newRow("a character beyond the basic plane counts once")
            << QStringLiteral("ő😀Ω") + QString(10, QLatin1Char('z')) << 4
            << QStringLiteral("ő😀Ωz").toUtf8();
        QTest::newRow("control characters dropped")
            << QStringLiteral("a\x01" "b\x1F" "c\td") << 100 << QByteArray("abc\td");
        QTest::newRow("tax number limit") << QStringLiteral("HU123456789012345678901") << 20
                                          << QByteArray("HU123456789012345678");
    }
    void texts() {
        QFETCH(QString, value);
        QFETCH(int, limit);
        QFETCH(QByteArray, expected);
        QCOMPARE(auditText(value, limit), expected);
    }

    // A folder made to be awkward: every case the file must carry.
    void awkwardFolder() {
        AuditFixture f;
        // The issuer without a street name, with letters of every kind.
        f.db().execSql(QStringLiteral("UPDATE tulajdonos SET tulajdonos=?, cim='', kozterulet=''"),
                       {QStringLiteral("Őrült Űrhajó Ω Kft.")});
        f.settings = loadSettings(f.db());
        const QString longName = QString(97, QLatin1Char('N')) + QStringLiteral("ő<&") + QString(20, QLatin1Char('z'));
        QCOMPARE(longName.size(), 120);
        const qint64 awkward = f.customer(longName);
        const qint64 homeless =
            f.customer(QStringLiteral("Cím Nélküli Bt."), QStringLiteral("szla_irsz='', szla_varos='', szla_cim='', "
                                                                        "adoszam=''"));
        const qint64 foreign = f.customer(QStringLiteral("Wiener Handel GmbH"),
                                          QStringLiteral("vat='EUR', adoszam='', kozadoszam='ATU12345678'"));

        const QString special = QStringLiteral("Közvetítés ő Ű Ω 😀");
        const qint64 rates = f.document(awkward,
                                        {{QStringLiteral("Tankönyv"), 2, 500, 5},
                                         {QStringLiteral("Szállás"), 1, 10000, 18},
                                         {QStringLiteral("Export"), 4, 250, 0},
                                         {QStringLiteral("Fúrógép"), 3, 1000, 27},
                                         {special, 1, 2000, 27, QStringLiteral("N"), QStringLiteral("I")},
                                         {QStringLiteral("Használt szék"), 1, 800, 27, QStringLiteral("N"),
                                          QStringLiteral("N"), 2}},
                                        kDay);
        const qint64 noAddress = f.document(homeless, {{QStringLiteral("Javítás"), 1, 1500, 27}}, kDay);
        const qint64 euro = f.document(foreign, {{QStringLiteral("Beratung"), 2, 125.5, 27}}, kDay);
        const qint64 advance = f.document(awkward, {{QStringLiteral("Előleg"), 1, 10000, 27, QStringLiteral("I")}},
                                          kDay, kKindAdvance);
        const qint64 final = f.document(awkward,
                                        {{QStringLiteral("Bútor"), 1, 30000, 27},
                                         {QStringLiteral("Előleg levonása"), -1, 10000, 27, QStringLiteral("I")}},
                                        kDay);
        const qint64 storno = CopyAsCounterDocument(f.db(), f.settings, CurrentUser{}, noAddress, kKindCancelling, kDay);
        const qint64 reverse = f.document(awkward, {{QStringLiteral("Építési munka"), 1, 50000, 0}}, kDay,
                                          kKindInvoice, QStringLiteral("fa='I'"));
        const qint64 proforma = f.document(awkward, {{QStringLiteral("Ajánlat"), 1, 100, 27}}, kDay, kKindProforma);

        const QString path = outFile(QStringLiteral("awkward.xml"));
        const AuditExportResult r = exportValid(f.db(), AuditSelection::period(kDay, kDay), path);
        QCOMPARE(r.written, 7);
        QCOMPARE(r.leftOut, QStringList());

        // The text as laid out: the declaration, the root's attributes in
        // single quotes, every line ending in CR LF, UTF-8 without conversion.
        const QByteArray bytes = readAll(path);
        QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<szamlak "
                                 "xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' "
                                 "xmlns='http://schemas.nav.gov.hu/2013/szamla'>\r\n  <export_datuma>2026-03-02<"));
        QVERIFY(bytes.endsWith("</szamla>\r\n</szamlak>\r\n"));
        QCOMPARE(bytes.count("\n"), bytes.count("\r\n"));
        QVERIFY(bytes.contains("    <szamlakibocsato>\r\n      <adoszam>12345678-2-43</adoszam>\r\n"));
        QVERIFY(bytes.contains(QStringLiteral("Őrült Űrhajó Ω Kft.").toUtf8()));
        QVERIFY(bytes.contains(special.toUtf8()));
        QVERIFY(bytes.contains(QByteArray(97, 'N') + QStringLiteral("ő").toUtf8() + "&lt;&amp;</nev>\r\n"));

        AuditFile x(path);
        QVERIFY(x.isOpen());
        QCOMPARE(x.value(QStringLiteral("/n:szamlak/n:export_szla_db")), QStringLiteral("7"));
        QCOMPARE(x.value(QStringLiteral("/n:szamlak/n:kezdo_szla_szam")), f.number(rates));
        QCOMPARE(x.value(QStringLiteral("/n:szamlak/n:zaro_szla_szam")), f.number(reverse));
        QVERIFY(!x.values(QStringLiteral("//n:szlasorszam")).contains(f.number(proforma)));

        // Texts cut to the schema's 100 characters, the entities whole.
        const QString d = doc(f.number(rates));
        QCOMPARE(x.value(d + QStringLiteral("/n:vevo/n:nev")), longName.left(100));
        // The issuer's street name is required: "XXX" when there is none.
        QCOMPARE(x.values(QStringLiteral("//n:szamlakibocsato/n:cim/n:kozterulet_neve")), QStringList(7, "XXX"));
        QCOMPARE(x.count(QStringLiteral("//n:szamlakibocsato/n:cim/n:kozterulet_jellege")), 0);

        // Lines at 0, 5, 18 and 27 %: the 0 % line without rate and VAT, no
        // per-rate row for it, the totals over all of them.
        QCOMPARE(x.count(d + QStringLiteral("/n:termek_szolgaltatas_tetelek")), 6);
        const QString zero = d + QStringLiteral("/n:termek_szolgaltatas_tetelek[n:termeknev='Export']");
        QCOMPARE(x.count(zero + QStringLiteral("/n:adokulcs")), 0);
        QCOMPARE(x.count(zero + QStringLiteral("/n:adoertek")), 0);
        QCOMPARE(x.value(zero + QStringLiteral("/n:bruttoar")), QStringLiteral("1000.00"));
        const QString drill = d + QStringLiteral("/n:termek_szolgaltatas_tetelek[n:termeknev='Fúrógép']");
        QCOMPARE(x.value(drill + QStringLiteral("/n:nettoar")), QStringLiteral("3000.00"));
        QCOMPARE(x.value(drill + QStringLiteral("/n:nettoegysar")), QStringLiteral("1000.00"));
        QCOMPARE(x.value(drill + QStringLiteral("/n:adokulcs")), QStringLiteral("27.00"));
        QCOMPARE(x.value(drill + QStringLiteral("/n:adoertek")), QStringLiteral("810.00"));
        QCOMPARE(x.value(drill + QStringLiteral("/n:bruttoar")), QStringLiteral("3810.00"));
        QCOMPARE(x.value(drill + QStringLiteral("/n:arengedm")), QStringLiteral("0.00"));
        QCOMPARE(x.values(d + QStringLiteral("/n:osszesites/n:afarovat/n:adokulcs")),
                 (QStringList{"5.00", "18.00", "27.00"}));
        QCOMPARE(x.values(d + QStringLiteral("/n:osszesites/n:afarovat/n:nettoar")),
                 (QStringList{"1000.00", "10000.00", "5800.00"}));
        QCOMPARE(x.values(d + QStringLiteral("/n:osszesites/n:afarovat/n:adoertek")),
                 (QStringList{"50.00", "1800.00", "1566.00"}));
        // The intermediated service, and the margin scheme of a line.
        QCOMPARE(x.values(d + QStringLiteral("//n:kozv_szolgaltatas")), QStringList{"true"});
        QCOMPARE(x.value(d + QStringLiteral("/n:termek_szolgaltatas_tetelek[n:kozv_szolgaltatas]/n:termeknev")),
                 special);
        QCOMPARE(x.value(d + QStringLiteral("/n:zaradekok/n:kulonb_szer_szab")), QStringLiteral("2"));
        QCOMPARE(x.count(QStringLiteral("//n:kulonb_szer_szab")), 1);

        // The customer without an address.
        const QString na = doc(f.number(noAddress));
        QCOMPARE(x.value(na + QStringLiteral("/n:vevo/n:cim/n:iranyitoszam")), QStringLiteral("XXXX"));
        QCOMPARE(x.value(na + QStringLiteral("/n:vevo/n:cim/n:telepules")), QStringLiteral("XXX"));
        QCOMPARE(x.value(na + QStringLiteral("/n:vevo/n:cim/n:kozterulet_neve")), QStringLiteral("XXX"));
        QCOMPARE(x.count(na + QStringLiteral("/n:vevo/n:adoszam")), 0);

        // The EUR invoice and the foreign customer's EU tax number.
        QCOMPARE(x.value(doc(f.number(euro)) + QStringLiteral("/n:nem_kotelezo/n:penznem")), QStringLiteral("EUR"));
        QCOMPARE(x.value(doc(f.number(euro)) + QStringLiteral("/n:vevo/n:kozadoszam")), QStringLiteral("ATU12345678"));
        QCOMPARE(x.value(doc(f.number(euro)) + QStringLiteral("//n:nettoar")), QStringLiteral("251.00"));

        // The advance invoice and the deduction of its final invoice.
        QCOMPARE(x.values(doc(f.number(advance)) + QStringLiteral("//n:eloleg")), QStringList{"1"});
        QCOMPARE(x.values(doc(f.number(final)) + QStringLiteral("//n:eloleg")), QStringList{"2"});
        QCOMPARE(x.value(doc(f.number(final)) + QStringLiteral("//n:vegosszeg/n:nettoarossz")),
                 QStringLiteral("20000.00"));

        // The storno pair: the cancelling document names the cancelled one.
        QCOMPARE(x.value(doc(f.number(storno)) + QStringLiteral("/n:fejlec/n:szlatipus")), QStringLiteral("4"));
        QCOMPARE(x.value(doc(f.number(storno)) + QStringLiteral("/n:modosito_szla/n:eredeti_sorszam")),
                 f.number(noAddress));
        QCOMPARE(x.count(doc(f.number(noAddress)) + QStringLiteral("/n:modosito_szla")), 0);

        // Reverse charge only where it is.
        QCOMPARE(x.values(QStringLiteral("//n:ford_ado")), QStringList{"true"});
        QCOMPARE(x.value(doc(f.number(reverse)) + QStringLiteral("/n:zaradekok/n:ford_ado")), QStringLiteral("true"));

        // Every document reads back to its stored amounts.
        QSqlQuery q = f.db().select(QStringLiteral("SELECT szla, netto, brutto FROM szla WHERE prntip <> 'P'"));
        int checked = 0;
        while (q.next()) {
            const QString e = doc(f.number(q.value(0).toLongLong())) + QStringLiteral("/n:osszesites/n:vegosszeg/");
            QCOMPARE(x.value(e + QStringLiteral("n:nettoarossz")), amount(q.value(1).toDouble()));
            QCOMPARE(x.value(e + QStringLiteral("n:bruttoarossz")), amount(q.value(2).toDouble()));
            ++checked;
        }
        QCOMPARE(checked, 7);
    }

    // Exactly the documents issued in the period, or numbered in the range;
    // proformas never, whatever their keys.
    void selection() {
        AuditFixture f;
        const qint64 c = f.customer(QStringLiteral("Vevő Kft."));
        const auto make = [&](const QDate& day, QChar kind = kKindInvoice) {
            return f.document(c, {{QStringLiteral("Áru"), 1, 100, 27}}, day, kind);
        };
        const qint64 feb5 = make(QDate(2026, 2, 5));
        const qint64 mar10 = make(QDate(2026, 3, 10));
        const qint64 feb20 = make(QDate(2026, 2, 20));
        make(QDate(2026, 2, 21), kKindProforma);
        const qint64 jan31 = make(QDate(2026, 1, 31));
        const qint64 feb28 = make(QDate(2026, 2, 28));
        // A date stored with a time of day belongs to its day.
        f.db().execSql(QStringLiteral("UPDATE szla SET dat_kiadva='2026-02-28 16:45:00' WHERE szla=?"), {feb28});

        const AuditSelection february = AuditSelection::period(QDate(2026, 2, 1), QDate(2026, 2, 28));
        QCOMPARE(february.caption(), QStringLiteral("2026.02.01 - 2026.02.28"));
        QCOMPARE(auditDocumentCount(f.db(), february), 3);
        const QString path = outFile(QStringLiteral("february.xml"));
        const AuditExportResult r = exportValid(f.db(), february, path);
        QCOMPARE(r.written, 3);
        AuditFile x(path);
        QCOMPARE(x.values(QStringLiteral("//n:szlasorszam")),
                 (QStringList{f.number(feb5), f.number(feb20), f.number(feb28)}));
        QCOMPARE(x.value(QStringLiteral("/n:szamlak/n:kezdo_ido")), QStringLiteral("2026-02-05"));
        QCOMPARE(x.value(QStringLiteral("/n:szamlak/n:zaro_ido")), QStringLiteral("2026-02-28"));
        Q_UNUSED(mar10);
        Q_UNUSED(jan31);

        // Numbers: two series letters share the number sequence; the range
        // takes the numbers, not the keys between them.
        f.db().execSql(QStringLiteral("UPDATE szla SET szlaszam = szlaszam + 100 WHERE szla=?"), {feb20});
        f.db().execSql(QStringLiteral("UPDATE szla SET szlabetu='B' WHERE szla=?"), {jan31});
        const qint64 n1 = f.db().queryInt(QStringLiteral("SELECT szlaszam FROM szla WHERE szla=?"), 0, {feb5});
        const qint64 n2 = f.db().queryInt(QStringLiteral("SELECT szlaszam FROM szla WHERE szla=?"), 0, {feb28});
        const AuditSelection byNumbers = AuditSelection::numbers(n1, n2);
        QCOMPARE(byNumbers.caption(), QStringLiteral("%1 - %2").arg(n1).arg(n2));
        const QString numbersPath = outFile(QStringLiteral("numbers.xml"));
        QCOMPARE(exportValid(f.db(), byNumbers, numbersPath).written, 4);
        AuditFile y(numbersPath);
        QCOMPARE(y.values(QStringLiteral("//n:szlasorszam")),
                 (QStringList{f.number(feb5), f.number(mar10), f.number(jan31), f.number(feb28)}));
        QVERIFY(f.number(jan31).startsWith(QLatin1Char('B')));

        // The four grids show the same documents.
        QSqlQuery h = f.db().select(auditHeaderQuery(byNumbers));
        QStringList numbers;
        while (h.next())
            numbers << h.value(QStringLiteral("szlasorszam")).toString();
        QCOMPARE(numbers, y.values(QStringLiteral("//n:szlasorszam")));
    }

    // The preview grids' per-rate and totals queries.
    void gridQueries() {
        AuditFixture f;
        const qint64 c = f.customer(QStringLiteral("Vevő Kft."));
        const qint64 key = f.document(c,
                                      {{QStringLiteral("A"), 3, 1000, 27},
                                       {QStringLiteral("B"), 2, 500, 0},
                                       {QStringLiteral("C"), 1, 100, 27, QStringLiteral("I")},
                                       {QStringLiteral("D"), -1, 100, 27, QStringLiteral("I")}},
                                      kDay);
        const AuditSelection s = AuditSelection::period(kDay, kDay);
        QSqlQuery lines = f.db().select(auditLineQuery(s));
        QStringList eloleg;
        while (lines.next())
            eloleg << lines.value(QStringLiteral("eloleg")).toString();
        QCOMPARE(eloleg, (QStringList{"", "", "1", "2"}));
        QSqlQuery rates = f.db().select(auditRateQuery(s));
        QVERIFY(rates.next());
        QCOMPARE(rates.value(QStringLiteral("adokulcs")).toDouble(), 0.0);
        QCOMPARE(rates.value(QStringLiteral("nettoar")).toDouble(), 1000.0);
        QVERIFY(rates.next());
        QCOMPARE(rates.value(QStringLiteral("nettoar")).toDouble(), 3000.0);
        QCOMPARE(rates.value(QStringLiteral("adoertek")).toDouble(), 810.0);
        QVERIFY(!rates.next());
        QSqlQuery totals = f.db().select(auditTotalsQuery(s));
        QVERIFY(totals.next());
        QCOMPARE(totals.value(QStringLiteral("szla")).toLongLong(), key);
        QCOMPARE(totals.value(QStringLiteral("nettoarossz")).toDouble(), 4000.0);
        QCOMPARE(totals.value(QStringLiteral("afaertekossz")).toDouble(), 810.0);
        QCOMPARE(totals.value(QStringLiteral("bruttoarossz")).toDouble(), 4810.0);
    }

    // A document the schema cannot express is left out and named; the
    // others are written and the file stays valid.
    void leftOut_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no lines") << "DELETE FROM szla_sor WHERE szla=%1" << "nincs tételsora";
        QTest::newRow("empty issue date") << "UPDATE szla SET dat_kiadva=NULL WHERE szla=%1" << "kiállítás dátuma";
        QTest::newRow("empty fulfilment date")
            << "UPDATE szla SET dat_szallhat='' WHERE szla=%1" << "teljesítés dátuma";
        QTest::newRow("kind without a code")
            << "UPDATE szla SET prntip='X' WHERE szla=%1" << "nincs érvényes NAV kódja";
        QTest::newRow("short issuer tax number")
            << "UPDATE szla SET tadoszam='1234' WHERE szla=%1" << "kibocsátó adószáma rövidebb";
        QTest::newRow("no issuer tax number")
            << "UPDATE szla SET tadoszam=NULL WHERE szla=%1" << "kibocsátó adószáma rövidebb";
        QTest::newRow("short customer tax number")
            << "UPDATE szla SET adoszam='12' WHERE szla=%1" << "vevő adószáma rövidebb";
        QTest::newRow("customer without a name")
            << "UPDATE szla SET ugyfel_nev='  ' WHERE szla=%1" << "üres a vevő neve";
        QTest::newRow("short postcode")
            << "UPDATE szla SET szla_irsz='12' WHERE szla=%1" << "vevő irányítószáma rövidebb";
        QTest::newRow("customer name of control characters only")
            << "UPDATE szla SET ugyfel_nev=char(1,2,31) WHERE szla=%1" << "üres a vevő neve";
        QTest::newRow("line name of broken bytes only")
            << "UPDATE szla_sor SET cikkszam_nev=CAST(X'FFFE80' AS TEXT) WHERE szla=%1" << "1. tételsor megnevezése";
        QTest::newRow("postcode short once control characters are dropped")
            << "UPDATE szla SET szla_irsz='12'||char(1,2,3) WHERE szla=%1" << "vevő irányítószáma rövidebb";
        QTest::newRow("line without a name")
            << "UPDATE szla_sor SET cikkszam_nev='' WHERE szla=%1" << "1. tételsor megnevezése";
        QTest::newRow("amount beyond the schema")
            << "UPDATE szla_sor SET netto=2e10 WHERE szla=%1" << "nem fér el";
        QTest::newRow("unknown margin code")
            << "UPDATE szla_sor SET kulonb_szer_szab=7 WHERE szla=%1" << "különbözeti szabályozás kódja (7)";
    }
    void leftOut() {
        QFETCH(QString, change);
        QFETCH(QString, reason);
        AuditFixture f;
        const qint64 c = f.customer(QStringLiteral("Vevő Kft."));
        const qint64 good = f.document(c, {{QStringLiteral("Áru"), 1, 100, 27}}, kDay);
        const qint64 bad = f.document(c, {{QStringLiteral("Áru"), 1, 100, 27}}, kDay);
        const QString badNumber = f.number(bad);
        f.db().execSql(change.arg(bad));
        const qint64 first = f.db().queryInt(QStringLiteral("SELECT MIN(szlaszam) FROM szla"), 0);
        const QString path = outFile(QStringLiteral("leftout.xml"));
        const AuditExportResult r = exportValid(f.db(), AuditSelection::numbers(first, first + 1), path);
        QCOMPARE(r.selected, 2);
        QCOMPARE(r.written, 1);
        QCOMPARE(r.leftOut.size(), 1);
        QVERIFY2(r.leftOut.first().contains(reason), qPrintable(r.leftOut.first()));
        QVERIFY2(r.leftOut.first().contains(QStringLiteral("gépi kód %1").arg(bad)), qPrintable(r.leftOut.first()));
        Q_UNUSED(badNumber);
        QVERIFY(auditLeftOutMessage(r).startsWith(QStringLiteral("1 bizonylat kimaradt:\n")));
        AuditFile x(path);
        QCOMPARE(x.values(QStringLiteral("//n:szlasorszam")), QStringList{f.number(good)});
        QCOMPARE(x.value(QStringLiteral("/n:szamlak/n:export_szla_db")), QStringLiteral("1"));
    }

    // Every optional flag of the issuer and the closing clauses at once, in
    // the schema's order.
    void everyFlag() {
        AuditFixture f;
        const qint64 c = f.customer(QStringLiteral("Vevő Kft."));
        AuditLine line{QStringLiteral("Szolgáltatás"), 2, 1000, 27};
        line.intermediated = QStringLiteral("I");
        line.margin = 2;
        const qint64 key =
            f.document(c, {line}, kDay, kKindInvoice,
                       QStringLiteral("tkata='I', tegyeni='I', tvallig='ES-123456', tvallignev='Kiss Péter', "
                                      "penzforgelsz='I', fa='I', adoment_hiv='I', neta='I'"));
        const QString path = outFile(QStringLiteral("flags.xml"));
        const AuditExportResult r = exportValid(f.db(), AuditSelection::period(kDay, kDay), path);
        QCOMPARE(r.written, 1);
        AuditFile x(path);
        const QString d = doc(f.number(key));
        for (const char* element :
             {"/n:szamlakibocsato/n:kisadozo", "/n:szamlakibocsato/n:egyeni_vallalkozo",
              "/n:termek_szolgaltatas_tetelek/n:kozv_szolgaltatas", "/n:zaradekok/n:penzforgelsz",
              "/n:zaradekok/n:ford_ado", "/n:zaradekok/n:adoment_hiv", "/n:zaradekok/n:neta"})
            QVERIFY2(x.value(d + QLatin1String(element)) == QStringLiteral("true"), element);
        QCOMPARE(x.value(d + QStringLiteral("/n:szamlakibocsato/n:ev_nyilv_tart_szam")), QStringLiteral("ES-123456"));
        QCOMPARE(x.value(d + QStringLiteral("/n:szamlakibocsato/n:ev_neve")), QStringLiteral("Kiss Péter"));
        QCOMPARE(x.value(d + QStringLiteral("/n:zaradekok/n:kulonb_szer_szab")), QStringLiteral("2"));
    }

    // With nothing the file can carry, no file is written and an existing
    // one is kept.
    void nothingToExport() {
        AuditFixture f;
        const qint64 c = f.customer(QStringLiteral("Vevő Kft."));
        const qint64 key = f.document(c, {{QStringLiteral("Áru"), 1, 100, 27}}, kDay);
        const QString path = outFile(QStringLiteral("kept.xml"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        const auto refused = [&](const AuditSelection& s, const QString& text) {
            try {
                writeAuditXml(f.db(), s, path, kDay);
            } catch (const AuditError& e) {
                return e.text().contains(text);
            }
            return false;
        };
        QVERIFY(refused(AuditSelection::period(kDay.addDays(1), kDay.addDays(9)), QStringLiteral("Nincs exportálható")));
        f.db().execSql(QStringLiteral("DELETE FROM szla_sor WHERE szla=?"), {key});
        QVERIFY(refused(AuditSelection::period(kDay, kDay), QStringLiteral("nincs tételsora")));
        QCOMPARE(readAll(path), QByteArray("old"));
        // A file that cannot be written is reported, not passed over.
        f.db().execSql(QStringLiteral("INSERT INTO szla_sor (szla, sor, cikkszam_nev, db, netto, afakulcs) "
                                      "VALUES (?, 1, 'Áru', 1, 100, 27)"),
                       {key});
        bool reported = false;
        try {
            writeAuditXml(f.db(), AuditSelection::period(kDay, kDay), m_out.filePath(QStringLiteral("nincs/nav.xml")),
                          kDay);
        } catch (const AuditError& e) {
            reported = e.text().startsWith(QStringLiteral("A fájl nem írható"));
        }
        QVERIFY(reported);
        QCOMPARE(QDir(m_out.path()).entryList({QStringLiteral(".audit-*")}, QDir::Files | QDir::Hidden), QStringList());
    }

    // The command line: exit codes, both date forms, the left-out list.
    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("period, dotted dates") << QStringList{"--from", "2026.03.01", "--to", "2026.03.31"} << 0 << "2 bizonylat";
        QTest::newRow("period, dashed dates") << QStringList{"--from", "2026-03-02", "--to", "2026-03-02"} << 0 << "2 bizonylat";
        QTest::newRow("numbers") << QStringList{"--numbers", "%1-%1"} << 0 << "1 bizonylat";
        QTest::newRow("left out") << QStringList{"--numbers", "%1-%3"} << 1 << "1 bizonylat kimaradt";
        QTest::newRow("nothing selected") << QStringList{"--from", "2020-01-01", "--to", "2020-01-31"} << 1 << "Nincs exportálható";
        QTest::newRow("no selection") << QStringList{} << 2 << "--numbers";
        QTest::newRow("both selections") << QStringList{"--numbers", "1-2", "--from", "2026-03-01", "--to", "2026-03-02"} << 2 << "egyik";
        QTest::newRow("bad range") << QStringList{"--numbers", "5"} << 2 << "kötőjellel";
        QTest::newRow("bad date") << QStringList{"--from", "2026-13-01", "--to", "2026-03-02"} << 2 << "nem dátum";
        QTest::newRow("no end date") << QStringList{"--from", "2026-03-01"} << 2 << "--to";
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString program = qEnvironmentVariable("ORVIX_CLI");
        if (program.isEmpty())
            QSKIP("ORVIX_CLI (the path of Orvix_Szamla_Cli) is not set");
        AuditFixture f;
        const qint64 c = f.customer(QStringLiteral("Vevő Kft."));
        f.document(c, {{QStringLiteral("Áru"), 1, 100, 27}}, kDay);
        f.document(c, {{QStringLiteral("Áru"), 1, 200, 27}}, kDay);
        const qint64 empty = f.document(c, {}, QDate(2026, 4, 1));
        Q_UNUSED(empty);
        const qint64 first = f.db().queryInt(QStringLiteral("SELECT MIN(szlaszam) FROM szla"), 0);
        for (QString& a : args)
            a.replace(QStringLiteral("%1"), QString::number(first)).replace(QStringLiteral("%3"), QString::number(first + 2));
        f.db().close();
        const QString path = outFile(QStringLiteral("cli.xml"));
        QFile::remove(path);
        QProcess p;
        p.start(program, QStringList{"audit-xml", f.folder->folder} + args + QStringList{"--out", path});
        QVERIFY(p.waitForFinished(60000));
        const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        QCOMPARE(p.exitCode(), exitCode);
        QVERIFY2(out.contains(message), qPrintable(out));
        if (message.contains(QStringLiteral("bizonylat")) && exitCode != 2 && !message.startsWith(QStringLiteral("Nincs")))
            QCOMPARE(schemaErrors(path), QStringList());
        else
            QVERIFY(!QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(AuditXmlTest)
#include "auditxml_test.moc"
