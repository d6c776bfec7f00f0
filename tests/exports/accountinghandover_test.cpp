// The hand-overs to the accounting programs: the rows and values of
// FELVEVO.dbf, FELKISZ.dbf and KSZLAKET.dbf read back with an independent
// reader, the handed-over marks (exactly the rows written, apart from the
// e-mail mark), and runs that fail or are refused leaving files and marks
// as they were.
#include "AccountingFixture.h"
#include "../printing/PrintFixture.h"

#include "exports/AccountingHandOver.h"
#include "printing/SendCopy.h"

#include <QLockFile>
#include <QProcess>
#include <QtTest>

using namespace orvix;
using namespace orvix::test;

class AccountingHandOverTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void forintRowsReadBackIndependently() {
        AccountingFixture f;
        makeForintTables(f.out());
        const qint64 c = f.customer(QStringLiteral("Őszibarack Űrkutató Kft."), 7);
        f.document(c, 42, 1000.5, 270.5, 1271);
        const HandOverResult r = exportForintSoft(f.db(), f.dialogs, f.out());
        QCOMPARE(r.customers, 1);
        QCOMPARE(r.documents, 1);
        QCOMPARE(f.dialogs.askedOf(QStringLiteral("question")),
                 QStringList{QStringLiteral("Megerősítés | ") + kHandOverQuestion});

        const QList<QJsonObject> cust = readWithDbfread(f.path(kFelvevo));
        QCOMPARE(cust.size(), 1);
        QCOMPARE(cust[0][QStringLiteral("VSZ")].toString(), QStringLiteral("00007"));
        QCOMPARE(cust[0][QStringLiteral("VSZNEV")].toString(), QStringLiteral("Őszibarack Űrkutató Kft."));
        QCOMPARE(cust[0][QStringLiteral("IRSZAM")].toString(), QStringLiteral("6720"));
        QCOMPARE(cust[0][QStringLiteral("HELYSEG")].toString(), QStringLiteral("Őrszentmiklós"));
        QCOMPARE(cust[0][QStringLiteral("UTCA")].toString(), QStringLiteral("Űrhajós utca 1."));
        QCOMPARE(cust[0][QStringLiteral("EUADOSZ")].toString(), QStringLiteral("HU87654321"));
        QCOMPARE(cust[0][QStringLiteral("SZVNEV")].toString(), QString());

        const QList<QJsonObject> docs = readWithDbfread(f.path(kFelkisz));
        QCOMPARE(docs.size(), 1);
        const QJsonObject& d = docs[0];
        QCOMPARE(d[QStringLiteral("SZAMLA")].toString(), QStringLiteral("0000042"));
        QCOMPARE(d[QStringLiteral("VSZ")].toString(), QStringLiteral("00007"));
        QCOMPARE(d[QStringLiteral("VSZNEV")].toString(), QStringLiteral("Őszibarack Űrkutató Kft."));
        QCOMPARE(d[QStringLiteral("TELJDAT")].toString(), QStringLiteral("2026-03-01"));
        QCOMPARE(d[QStringLiteral("KIBDAT")].toString(), QStringLiteral("2026-03-02"));
        QCOMPARE(d[QStringLiteral("ESEDAT")].toString(), QStringLiteral("2026-03-10"));
        QCOMPARE(d[QStringLiteral("FIZMOD")].toString(), QStringLiteral("2"));
        QCOMPARE(d[QStringLiteral("AFAKOD1")].toString(), QStringLiteral("07"));
        QVERIFY(d[QStringLiteral("AFAKOD2")].isNull() || d[QStringLiteral("AFAKOD2")].toString().isEmpty());
        // Halves go to the even neighbour: 1000.5 -> 1000, 270.5 -> 270.
        QCOMPARE(d[QStringLiteral("ALAP1")].toString(), QStringLiteral("1000"));
        QCOMPARE(d[QStringLiteral("AFA1")].toString(), QStringLiteral("270"));
        QCOMPARE(d[QStringLiteral("VEGOSSZ")].toString(), QStringLiteral("1271"));
        QCOMPARE(d[QStringLiteral("KEREKIT")].toString(), QStringLiteral("0"));
        QCOMPARE(d[QStringLiteral("GEPISZLA")].toString(), QStringLiteral("2"));
        QVERIFY(d[QStringLiteral("ALAP2")].isNull());

        // shapelib reads the same rows, the Hungarian letters in code page
        // 852, which the header still declares (byte 29, language driver 0x64).
        const auto viaShapelib = readWithShapelib(f.path(kFelkisz));
        QCOMPARE(viaShapelib.size(), 1);
        QCOMPARE(viaShapelib[0].value(QStringLiteral("SZAMLA")), QStringLiteral("0000042"));
        QCOMPARE(viaShapelib[0].value(QStringLiteral("VSZNEV")), QStringLiteral("Őszibarack Űrkutató Kft."));
        const auto customersViaShapelib = readWithShapelib(f.path(kFelvevo));
        QCOMPARE(customersViaShapelib.size(), 1);
        QCOMPARE(customersViaShapelib[0].value(QStringLiteral("HELYSEG")), QStringLiteral("Őrszentmiklós"));
        QCOMPARE(customersViaShapelib[0].value(QStringLiteral("UTCA")), QStringLiteral("Űrhajós utca 1."));
        QCOMPARE(rawField(f.path(kFelvevo), 0, QStringLiteral("HELYSEG")).left(2), QByteArray("\x8A" "r")); // Ő in 852
        QFile raw(f.path(kFelvevo));
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QCOMPARE(uchar(raw.read(32).at(29)), uchar(0x64));
        QVERIFY(!QFile::exists(f.path(QStringLiteral("FELVEVO.orvixtmp.dbf"))));
    }

    void cashRounding_data() {
        QTest::addColumn<qint64>("method");
        QTest::addColumn<double>("gross");
        QTest::addColumn<QString>("kerekit");
        QTest::addColumn<QString>("vegosszeg");
        QTest::newRow("cash 12 703 up to 12 705") << AccountingFixture::kCash << 12703.0 << "2" << "12705";
        QTest::newRow("cash 12 701 down to 12 700") << AccountingFixture::kCash << 12701.0 << "-1" << "12700";
        QTest::newRow("cash 12 702 down to 12 700") << AccountingFixture::kCash << 12702.0 << "-2" << "12700";
        QTest::newRow("cash 12 704 up to 12 705") << AccountingFixture::kCash << 12704.0 << "1" << "12705";
        QTest::newRow("cash credit -12 703") << AccountingFixture::kCash << -12703.0 << "-2" << "-12705";
        QTest::newRow("cash 12 702.5 rounds to even first") << AccountingFixture::kCash << 12702.5 << "-2" << "12700";
        QTest::newRow("transfer 12 703 unchanged") << AccountingFixture::kTransfer << 12703.0 << "0" << "12703";
    }
    void cashRounding() {
        QFETCH(qint64, method);
        QFETCH(double, gross);
        AccountingFixture f;
        makeForintTables(f.out());
        f.document(f.customer(QStringLiteral("Vevő"), 1), 1, gross / 1.27, gross - gross / 1.27, gross, method);
        exportForintSoft(f.db(), f.dialogs, f.out());
        const auto rows = readWithShapelib(f.path(kFelkisz));
        QCOMPARE(rows.size(), 1);
        QTEST(rows[0].value(QStringLiteral("KEREKIT")), "kerekit");
        QTEST(rows[0].value(QStringLiteral("VEGOSSZ")), "vegosszeg");
        QCOMPARE(rows[0].value(QStringLiteral("FIZMOD")), method == AccountingFixture::kCash ? "1" : "2");
    }

    // The hand-over has its own mark: an e-mailed document is handed over,
    // and a hand-over leaves the e-mail mark alone.
    void emailMarkIsSeparate() {
        AccountingFixture f;
        makeForintTables(f.out());
        const qint64 c = f.customer(QStringLiteral("Vevő"), 1);
        const qint64 mailed = f.document(c, 1, 100, 27, 127);
        const qint64 plain = f.document(c, 2, 100, 27, 127);
        f.db().execSql(QStringLiteral("UPDATE szla SET kuldve=TRUE WHERE szla=?"), {mailed});
        QCOMPARE(exportForintSoft(f.db(), f.dialogs, f.out()).documents, 2);
        QVERIFY(f.handedOver(mailed));
        QVERIFY(f.handedOver(plain));
        QCOMPARE(f.db().queryInt(QStringLiteral("SELECT kuldve FROM szla WHERE szla=?"), -1, {plain}), 0);
        QCOMPARE(f.db().queryInt(QStringLiteral("SELECT kuldve FROM szla WHERE szla=?"), -1, {mailed}), 1);
    }

    // The other way round, through "Küldés" itself: a handed-over document
    // can still be e-mailed, which leaves its hand-over mark alone, and an
    // e-mailed one is still handed over, which leaves its sent mark alone.
    void handedOverIsMailedAndMailedIsHandedOver() {
        PrintFixture p;
        const QString pdfFolder = QDir(p.work.path()).filePath(QStringLiteral("pdf"));
        QVERIFY(QDir().mkpath(pdfFolder));
        p.db().execSql(QStringLiteral("UPDATE beallit SET printernev=?, printerutv=?"), {kBuiltInPdfPrinter, pdfFolder});
        p.reloadSettings();
        QTemporaryDir out;
        makeForintTables(out.path());
        makeTable(QDir(out.path()).filePath(kKSzlaKet), kKSzlaKetFields);
        const qint64 c = p.customer(QStringLiteral("Küldött Vevő Kft."), QStringLiteral("emil='vevo@example.hu', ugyfelkod=5"));
        const auto post = [&](int number) {
            return p.document(c, {{QStringLiteral("Tétel"), QStringLiteral("db"), 1, 1000, 27}},
                              QStringLiteral("szlaszam=%1, konyvelve='I'").arg(number));
        };
        const auto marks = [&](qint64 doc) {
            return std::pair{p.db().queryInt(QStringLiteral("SELECT COALESCE(kuldve, 0) FROM szla WHERE szla=?"), -1, {doc}),
                             p.db().queryInt(QStringLiteral("SELECT COALESCE(atadva, 0) FROM szla WHERE szla=?"), -1, {doc})};
        };
        const auto send = [&](qint64 doc) {
            KeptCopies target;
            return sendElectronicCopy(p.db(), p.dialogs, p.setup, target, doc, [](const MailMessage&) { return true; })
                .outcome;
        };

        const qint64 first = post(1);
        QCOMPARE(exportForintSoft(p.db(), p.dialogs, out.path()).documents, 1);
        QCOMPARE(marks(first), (std::pair<qint64, qint64>{0, 1}));
        QCOMPARE(send(first), SendCopyOutcome::Sent);
        QCOMPARE(marks(first), (std::pair<qint64, qint64>{1, 1}));

        const qint64 second = post(2);
        QCOMPARE(send(second), SendCopyOutcome::Sent);
        QCOMPARE(marks(second), (std::pair<qint64, qint64>{1, 0}));
        recomputeOpenDocumentBands(p.db());
        QCOMPARE(exportKSzlaKet(p.db(), p.dialogs, out.path()).documents, 1);
        QCOMPARE(marks(second), (std::pair<qint64, qint64>{1, 1}));
        QCOMPARE(readWithDbfread(QDir(out.path()).filePath(kKSzlaKet)).value(0)[QStringLiteral("BIZSZAM")].toString(),
                 QStringLiteral("S2"));
        QCOMPARE(p.dialogs.askedOf(QStringLiteral("error")), QStringList());
    }

    // Only the rows written are marked; the skipped documents are listed and
    // wait for their customer or payment method; a second run writes empty
    // tables; a new customer goes with the next run, a handed-over one never
    // again.
    void marksExactlyTheRowsWritten() {
        AccountingFixture f;
        makeForintTables(f.out());
        const qint64 c = f.customer(QStringLiteral("Régi Vevő"), 3);
        f.customer(QStringLiteral("Átadott Vevő"), 4, QStringLiteral("I"));
        const qint64 ok = f.document(c, 10, 100, 27, 127);
        const qint64 noCustomer = f.document(c, 11, 100, 27, 127);
        f.db().execSql(QStringLiteral("UPDATE szla SET ugyfel=9999 WHERE szla=?"), {noCustomer});
        const qint64 noMethod = f.document(c, 12, 100, 27, 127, 777);
        HandOverResult r = exportForintSoft(f.db(), f.dialogs, f.out());
        QCOMPARE(r.customers, 1);
        QCOMPARE(r.documents, 1);
        QCOMPARE(skippedMessage(r),
                 QStringLiteral("Kimaradt: S11 (nincs ilyen vevő), S12 (nincs ilyen fizetési mód)"));
        QVERIFY(f.handedOver(ok));
        QVERIFY(!f.handedOver(noCustomer));
        QVERIFY(!f.handedOver(noMethod));
        QCOMPARE(readWithShapelib(f.path(kFelvevo)).size(), 1);

        // The payment method is fixed: only that document goes next time.
        f.db().execSql(QStringLiteral("UPDATE szla SET fiztip=901 WHERE szla=?"), {noMethod});
        f.db().execSql(QStringLiteral("UPDATE ugyfel SET ugyfel_nev='Régi Vevő Bt.' WHERE ugyfel=?"), {c});
        const qint64 later = f.customer(QStringLiteral("Új Vevő"), 5);
        r = exportForintSoft(f.db(), f.dialogs, f.out());
        QCOMPARE(r.documents, 1);
        QVERIFY(f.handedOver(noMethod));
        const auto customers = readWithShapelib(f.path(kFelvevo));
        QCOMPARE(customers.size(), 1);
        QCOMPARE(customers[0].value(QStringLiteral("VSZ")), QStringLiteral("00005"));
        Q_UNUSED(later);

        f.db().execSql(QStringLiteral("DELETE FROM szla WHERE szla=?"), {noCustomer});
        r = exportForintSoft(f.db(), f.dialogs, f.out());
        QCOMPARE(r.customers + r.documents, 0);
        QCOMPARE(readWithShapelib(f.path(kFelvevo)).size(), 0);
        QCOMPARE(readWithShapelib(f.path(kFelkisz)).size(), 0);
        QVERIFY(readWithDbfread(f.path(kFelkisz)).isEmpty());
    }

    // A run that cannot complete leaves the tables and the marks as they were.
    void failedRunChangesNothing_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("answer");
        QTest::newRow("FELKISZ.dbf missing") << "rm FELKISZ" << "FELKISZ.dbf tábla nem található" << true;
        QTest::newRow("customer code wider than VSZ") << "code 123456" << "nem fér el" << true;
        QTest::newRow("amount wider than ALAP1") << "amount" << "nem fér el" << true;
        QTest::newRow("FELVEVO.dbf not a table") << "garbage" << "nem nyitható meg" << true;
        QTest::newRow("answer No") << "" << "" << false;
    }
    void failedRunChangesNothing() {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        QFETCH(bool, answer);
        AccountingFixture f;
        makeForintTables(f.out());
        const qint64 c = f.customer(QStringLiteral("Első"), 1);
        f.document(c, 1, 100, 27, 127);
        QCOMPARE(exportForintSoft(f.db(), f.dialogs, f.out()).documents, 1);
        const qint64 c2 = f.customer(QStringLiteral("Második"), setup == QLatin1String("code 123456") ? 123456 : 2);
        const qint64 d2 = f.document(c2, 2, setup == QLatin1String("amount") ? 1e15 : 100, 27, 127);
        if (setup == QLatin1String("rm FELKISZ"))
            QFile::remove(f.path(kFelkisz));
        if (setup == QLatin1String("garbage")) {
            QFile g(f.path(kFelvevo));
            QVERIFY(g.open(QIODevice::WriteOnly));
            g.write("nem dBase");
        }
        const QByteArray before[2] = {fileHash(f.path(kFelvevo)), fileHash(f.path(kFelkisz))};
        f.dialogs.defaultAnswer = answer;
        QString error;
        try {
            const HandOverResult r = exportForintSoft(f.db(), f.dialogs, f.out());
            QVERIFY(r.cancelled);
        } catch (const HandOverError& e) {
            error = e.text();
        }
        QVERIFY2(message.isEmpty() ? error.isEmpty() : error.contains(message), qPrintable(error));
        QCOMPARE(fileHash(f.path(kFelvevo)), before[0]);
        QCOMPARE(fileHash(f.path(kFelkisz)), before[1]);
        QVERIFY(!f.handedOver(d2));
        QCOMPARE(f.db().queryText(QStringLiteral("SELECT kuldve FROM ugyfel WHERE ugyfel=?"), {}, {c2}), "N");
        QCOMPARE(QDir(f.out()).entryList(QDir::Files).filter(QStringLiteral("orvixtmp")), QStringList());
    }

    // KSZLAKET: the document number with its kind letter, the three bands
    // with their fixed codes, the customer's current name, sums weighted by
    // quantity and empty for a document without lines.
    void kszlaketRows() {
        AccountingFixture f;
        makeTable(f.path(kKSzlaKet), kKSzlaKetFields);
        const qint64 c = f.customer(QStringLiteral("Régi Név"), 1);
        const qint64 top = f.document(c, 123, 2000, 540, 2540);
        f.line(top, 2, 2, 1000, 270);
        const qint64 mixed = f.document(c, 124, 0, 0, 0, AccountingFixture::kCash, QStringLiteral("J"));
        f.line(mixed, 0, 3, 10.125, 0);
        f.line(mixed, 1, 1, 200, 36);
        f.line(mixed, 2, -1, 100, 27);
        f.document(c, 125, 0, 0, 0);
        f.db().execSql(QStringLiteral("UPDATE ugyfel SET ugyfel_nev='Űj Őrző Kft.' WHERE ugyfel=?"), {c});
        recomputeOpenDocumentBands(f.db());
        QCOMPARE(exportKSzlaKet(f.db(), f.dialogs, f.out()).documents, 3);

        const QList<QJsonObject> rows = readWithDbfread(f.path(kKSzlaKet));
        QCOMPARE(rows.size(), 3);
        const QJsonObject& a = rows[0];
        QCOMPARE(a[QStringLiteral("BIZSZAM")].toString(), QStringLiteral("S123"));
        QCOMPARE(a[QStringLiteral("KONYVEL")].toString(), QStringLiteral("False"));
        QCOMPARE(a[QStringLiteral("KELT")].toString(), QStringLiteral("2026-03-02"));
        QCOMPARE(a[QStringLiteral("DATUM")].toString(), QStringLiteral("2026-03-02"));
        QCOMPARE(a[QStringLiteral("PARTKOD")].toString(), QString::number(c));
        QCOMPARE(a[QStringLiteral("CEGNEV")].toString(), QStringLiteral("Űj Őrző Kft."));
        QCOMPARE(a[QStringLiteral("VAROS")].toString(), QStringLiteral("Őrszentmiklós"));
        QCOMPARE(a[QStringLiteral("FIZMOD")].toString(), QStringLiteral("2"));
        QCOMPARE(a[QStringLiteral("AFAKOD1")].toString(), QStringLiteral("4"));
        QCOMPARE(a[QStringLiteral("AFAKOD2")].toString(), QStringLiteral("10"));
        QCOMPARE(a[QStringLiteral("AFAKOD3")].toString(), QStringLiteral("11"));
        QCOMPARE(a[QStringLiteral("NETTO1")].toString().toDouble(), 0.0);
        QCOMPARE(a[QStringLiteral("AFA2")].toString().toDouble(), 0.0);
        QCOMPARE(a[QStringLiteral("NETTO3")].toString().toDouble(), 2000.0);
        QCOMPARE(a[QStringLiteral("AFA3")].toString().toDouble(), 540.0);
        QVERIFY(a[QStringLiteral("NETTO4")].isNull());
        QVERIFY(a[QStringLiteral("KIEGYDAT")].isNull());

        const QJsonObject& b = rows[1];
        QCOMPARE(b[QStringLiteral("BIZSZAM")].toString(), QStringLiteral("J124"));
        QCOMPARE(b[QStringLiteral("FIZMOD")].toString(), QStringLiteral("1"));
        QCOMPARE(b[QStringLiteral("NETTO1")].toString().toDouble(), 30.38); // 3 × 10.125, two decimals of the field
        QCOMPARE(b[QStringLiteral("NETTO2")].toString().toDouble(), 200.0);
        QCOMPARE(b[QStringLiteral("AFA2")].toString().toDouble(), 36.0);
        QCOMPARE(b[QStringLiteral("NETTO3")].toString().toDouble(), -100.0);
        QCOMPARE(b[QStringLiteral("AFA3")].toString().toDouble(), -27.0);

        // A document without lines: its empty sums go as 0.
        QCOMPARE(rows[2][QStringLiteral("NETTO1")].toString(), QStringLiteral("0.0"));
        QCOMPARE(rows[2][QStringLiteral("AFA3")].toString(), QStringLiteral("0.0"));
    }

    // Empty values as dBase programs read them: an empty amount 0, an empty
    // date blanks, never shapelib's own empty marks (asterisks, zero dates);
    // fields the program does not fill stay blank.
    void emptyValuesAsDBaseReadsThem() {
        AccountingFixture f;
        makeForintTables(f.out());
        makeTable(f.path(kKSzlaKet), kKSzlaKetFields);
        const qint64 d = f.document(f.customer(QStringLiteral("Vevő"), 1), 1, 100, 27, 127);
        f.db().execSql(QStringLiteral("UPDATE szla SET dat_szallhat=NULL, dat_fizhat=NULL, netto=NULL WHERE szla=?"), {d});
        recomputeOpenDocumentBands(f.db()); // no lines: empty sums
        QCOMPARE(exportKSzlaKet(f.db(), f.dialogs, f.out()).documents, 1);
        f.db().execSql(QStringLiteral("UPDATE szla SET atadva=FALSE WHERE szla=?"), {d});
        QCOMPARE(exportForintSoft(f.db(), f.dialogs, f.out()).documents, 1);

        const QString kszlaket = f.path(kKSzlaKet);
        QCOMPARE(rawField(kszlaket, 0, QStringLiteral("NETTO1")), QByteArray("          0.00"));
        QCOMPARE(rawField(kszlaket, 0, QStringLiteral("AFA3")), QByteArray("          0.00"));
        QCOMPARE(rawField(kszlaket, 0, QStringLiteral("NETTO4")), QByteArray(14, ' '));
        QCOMPARE(rawField(kszlaket, 0, QStringLiteral("KIEGYDAT")), QByteArray(8, ' '));
        QCOMPARE(rawField(kszlaket, 0, QStringLiteral("KONYVEL")), QByteArray("F"));
        const QString felkisz = f.path(kFelkisz);
        QCOMPARE(rawField(felkisz, 0, QStringLiteral("TELJDAT")), QByteArray(8, ' '));
        QCOMPARE(rawField(felkisz, 0, QStringLiteral("ESEDAT")), QByteArray(8, ' '));
        QCOMPARE(rawField(felkisz, 0, QStringLiteral("KIBDAT")), QByteArray("20260302"));
        QCOMPARE(rawField(felkisz, 0, QStringLiteral("ALAP1")), QByteArray("           0"));
        QCOMPARE(rawField(felkisz, 0, QStringLiteral("ALAP2")), QByteArray(12, ' '));
        for (const QString& path : {kszlaket, felkisz}) {
            QFile raw(path);
            QVERIFY(raw.open(QIODevice::ReadOnly));
            QVERIFY2(!raw.readAll().contains('*'), qPrintable(path));
        }
        const QJsonObject row = readWithDbfread(felkisz).value(0);
        QVERIFY(row[QStringLiteral("TELJDAT")].isNull());
        QCOMPARE(row[QStringLiteral("ALAP1")].toString(), QStringLiteral("0"));
        QCOMPARE(readWithDbfread(kszlaket).value(0)[QStringLiteral("NETTO2")].toString(), QStringLiteral("0.0"));
    }

    // A payment method whose code is no number (the letters ForintSoft
    // takes) goes into KSZLAKET's numeric FIZMOD as 0: the document is handed
    // over and the user told which method it was.
    void letterPaymentCodeWrittenAsZero() {
        AccountingFixture f;
        makeTable(f.path(kKSzlaKet), kKSzlaKetFields);
        f.db().execSql(QStringLiteral("UPDATE fiztip SET konyvelokod='K' WHERE fiztip=?"), {AccountingFixture::kCash});
        const qint64 c = f.customer(QStringLiteral("Vevő"), 1);
        const qint64 cash = f.document(c, 1, 100, 27, 127, AccountingFixture::kCash);
        const qint64 transfer = f.document(c, 2, 100, 27, 127);
        const HandOverResult r = exportKSzlaKet(f.db(), f.dialogs, f.out());
        QCOMPARE(r.documents, 2);
        QVERIFY(r.skipped.isEmpty());
        QVERIFY(f.handedOver(cash) && f.handedOver(transfer));
        QCOMPARE(r.notes, QStringList{QStringLiteral(
                              "A(z) Készpénz fizetési mód könyvelői kódja (K) nem szám: a FIZMOD mezőbe 0 került.")});
        QVERIFY(handOverSummary(r, false).contains(r.notes.first()));
        const QList<QJsonObject> rows = readWithDbfread(f.path(kKSzlaKet));
        QCOMPARE(rows.value(0)[QStringLiteral("FIZMOD")].toString(), QStringLiteral("0"));
        QCOMPARE(rows.value(1)[QStringLiteral("FIZMOD")].toString(), QStringLiteral("2"));
    }

    // A failure at any step of putting the tables in place, the commit of
    // the marks included, puts the previous tables back and leaves the marks
    // unset, with nothing left beside the tables; the next run hands over.
    void failureWhileReplacingRestoresEverything_data() {
        QTest::addColumn<QString>("failAt");
        for (const char* at : {"journal", "marked", "aside FELVEVO.dbf", "installed FELVEVO.dbf", "aside FELKISZ.dbf",
                               "installed FELKISZ.dbf", "commit"})
            QTest::newRow(at) << QString::fromLatin1(at);
    }
    void failureWhileReplacingRestoresEverything() {
        QFETCH(QString, failAt);
        AccountingFixture f;
        makeForintTables(f.out());
        f.document(f.customer(QStringLiteral("Első"), 1), 1, 100, 27, 127);
        QCOMPARE(exportForintSoft(f.db(), f.dialogs, f.out()).documents, 1);
        const qint64 c2 = f.customer(QStringLiteral("Második"), 2);
        const qint64 d2 = f.document(c2, 2, 100, 27, 127);
        const QByteArray before[2] = {fileHash(f.path(kFelvevo)), fileHash(f.path(kFelkisz))};

        // The commit fails for real: another connection reads the data
        // folder, and this one waits for it only briefly.
        std::unique_ptr<Database> reader;
        f.db().execSql(QStringLiteral("PRAGMA busy_timeout=200"));
        setHandOverStepHook([&](const QString& step) {
            if (failAt == QLatin1String("commit") && step == QLatin1String("installed FELKISZ.dbf")) {
                reader = std::make_unique<Database>(QStringLiteral("reader"));
                reader->open(f.folder->folder);
                reader->execSql(QStringLiteral("BEGIN"));
                reader->queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0);
            } else if (step == failAt) {
                throw HandOverError(QStringLiteral("próba: ") + step);
            }
        });
        QString error;
        try {
            exportForintSoft(f.db(), f.dialogs, f.out());
        } catch (const HandOverError& e) {
            error = e.text();
        } catch (const DbError& e) {
            error = e.text();
        }
        setHandOverStepHook({});
        if (reader) {
            reader->execSql(QStringLiteral("COMMIT"));
            reader.reset();
        }
        QVERIFY2(!error.isEmpty(), "the failure was reported");
        QVERIFY2(failAt == QLatin1String("commit") || error == QStringLiteral("próba: ") + failAt, qPrintable(error));
        QCOMPARE(fileHash(f.path(kFelvevo)), before[0]);
        QCOMPARE(fileHash(f.path(kFelkisz)), before[1]);
        QVERIFY(!f.handedOver(d2));
        QCOMPARE(f.db().queryText(QStringLiteral("SELECT kuldve FROM ugyfel WHERE ugyfel=?"), {}, {c2}), "N");
        QCOMPARE(QDir(f.out()).entryList(QDir::Files | QDir::Hidden), (QStringList{"FELKISZ.dbf", "FELVEVO.dbf"}));

        f.db().execSql(QStringLiteral("PRAGMA busy_timeout=10000"));
        QCOMPARE(exportForintSoft(f.db(), f.dialogs, f.out()).documents, 1);
        QVERIFY(f.handedOver(d2));
        QCOMPARE(readWithShapelib(f.path(kFelvevo)).value(0).value(QStringLiteral("VSZNEV")), QStringLiteral("Második"));
    }

    // While a hand-over runs into a folder, a second one is refused and
    // changes nothing.
    void secondHandOverIntoTheFolderIsRefused() {
        AccountingFixture f;
        makeForintTables(f.out());
        const qint64 d = f.document(f.customer(QStringLiteral("Vevő"), 1), 1, 100, 27, 127);
        QLockFile running(QDir(f.out()).filePath(QStringLiteral("orvix-atadas.lock")));
        QVERIFY(running.tryLock(0));
        const QByteArray before = fileHash(f.path(kFelkisz));
        try {
            exportForintSoft(f.db(), f.dialogs, f.out());
            QFAIL("a second hand-over ran");
        } catch (const HandOverError& e) {
            QVERIFY2(e.text().startsWith(QStringLiteral("Egy másik átadás fut ebbe a mappába")), qPrintable(e.text()));
        }
        QCOMPARE(fileHash(f.path(kFelkisz)), before);
        QVERIFY(!f.handedOver(d));
        running.unlock();
        QCOMPARE(exportForintSoft(f.db(), f.dialogs, f.out()).documents, 1);
    }

    // The two hand-overs share the mark: what one handed over the other does
    // not offer, and the recomputation leaves handed-over documents alone.
    void exportsShareTheMark() {
        AccountingFixture f;
        makeForintTables(f.out());
        makeTable(f.path(kKSzlaKet), kKSzlaKetFields);
        const qint64 c = f.customer(QStringLiteral("Vevő"), 1);
        const qint64 first = f.document(c, 1, 100, 27, 127);
        f.line(first, 2, 1, 100, 27);
        QCOMPARE(exportForintSoft(f.db(), f.dialogs, f.out()).documents, 1);
        f.db().execSql(QStringLiteral("UPDATE szla SET netto2=555 WHERE szla=?"), {first});
        recomputeOpenDocumentBands(f.db());
        QCOMPARE(f.db().queryFloat(QStringLiteral("SELECT netto2 FROM szla WHERE szla=?"), 0, {first}), 555.0);
        QCOMPARE(exportKSzlaKet(f.db(), f.dialogs, f.out()).documents, 0);
        const qint64 second = f.document(c, 2, 100, 27, 127);
        QCOMPARE(exportKSzlaKet(f.db(), f.dialogs, f.out()).documents, 1);
        QVERIFY(f.handedOver(second));
        QCOMPARE(exportForintSoft(f.db(), f.dialogs, f.out()).documents, 0);
    }

    // A table that declares code page 1250 in its header gets its texts in
    // 1250; one without a declaration gets 852.
    void codePageFromTheHeader_data() {
        QTest::addColumn<QString>("codepage");
        QTest::addColumn<QString>("encoding");
        QTest::newRow("LDID 0xC8") << "LDID/200" << "cp1250";
        QTest::newRow("none") << "LDID/0" << "cp852";
    }
    void codePageFromTheHeader() {
        QFETCH(QString, codepage);
        QFETCH(QString, encoding);
        AccountingFixture f;
        makeTable(f.path(kKSzlaKet), kKSzlaKetFields, codepage.toLatin1().constData());
        f.document(f.customer(QStringLiteral("Ő Ű"), 1), 1, 1, 0, 1);
        exportKSzlaKet(f.db(), f.dialogs, f.out());
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-c"),
                 QStringLiteral("import sys\nfrom dbfread import DBF\n"
                                "print([r['CEGNEV'] for r in DBF(sys.argv[1], encoding=sys.argv[2])][0])"),
                 f.path(kKSzlaKet), encoding});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()).trimmed(), QStringLiteral("Ő Ű"));
    }

    void rounding_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("rounded");
        QTest::newRow("2.5") << 2.5 << 2.0;
        QTest::newRow("3.5") << 3.5 << 4.0;
        QTest::newRow("-2.5") << -2.5 << -2.0;
        QTest::newRow("2.4999") << 2.4999 << 2.0;
        QTest::newRow("-7.6") << -7.6 << -8.0;
    }
    void rounding() {
        QFETCH(double, x);
        QTEST(roundHalfEven(x), "rounded");
    }

    void commandLine_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("forintsoft") << "export-forintsoft" << QStringList{} << 0 << "1 vevő, 1 bizonylat";
        QTest::newRow("kszlaket") << "export-kszlaket" << QStringList{} << 0 << "1 bizonylat";
        QTest::newRow("no --folder") << "export-kszlaket" << QStringList{"--no-folder"} << 2 << "--folder";
        QTest::newRow("no tables") << "export-forintsoft" << QStringList{"--empty"} << 1 << "nem található";
        QTest::newRow("skipped") << "export-forintsoft" << QStringList{"--skip"} << 1 << "Kimaradt: S2";
    }
    void commandLine() {
        QFETCH(QString, command);
        QFETCH(QStringList, extra);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        AccountingFixture f;
        makeForintTables(f.out());
        makeTable(f.path(kKSzlaKet), kKSzlaKetFields);
        const qint64 c = f.customer(QStringLiteral("Vevő"), 1);
        const qint64 d = f.document(c, 1, 100, 27, 127);
        f.line(d, 2, 1, 100, 27);
        if (extra.contains(QStringLiteral("--skip")))
            f.document(c, 2, 100, 27, 127, 777);
        QTemporaryDir empty;
        QStringList args{command, f.folder->folder};
        if (!extra.contains(QStringLiteral("--no-folder")))
            args << QStringLiteral("--folder") << (extra.contains(QStringLiteral("--empty")) ? empty.path() : f.out());
        f.db().close();
        QProcess p;
        p.start(QString::fromLocal8Bit(qgetenv("ORVIX_CLI")), args);
        QVERIFY(p.waitForFinished(60000));
        const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        QCOMPARE(p.exitCode(), exitCode);
        QVERIFY2(out.contains(message), qPrintable(out));
        f.db().open(f.folder->folder);
        QCOMPARE(f.handedOver(d), exitCode == 0 || extra.contains(QStringLiteral("--skip")));
        if (command == QLatin1String("export-kszlaket") && exitCode == 0)
            QCOMPARE(readWithDbfread(f.path(kKSzlaKet)).value(0)[QStringLiteral("NETTO3")].toString().toDouble(), 100.0);
    }
};

QTEST_MAIN(AccountingHandOverTest)
#include "accountinghandover_test.moc"
