// The payment commands as a script runs them: pay and pay-customer, their
// exit codes, messages and what lands in the data folder.
//
// The executable runs a command itself when started with --run COMMAND …, so
// that its output and exit code are seen as a user sees them.
#include "PostingFixture.h"
#include "TestFolders.h"

#include "common/Database.h"
#include "core/CommandLine.h"
#include "invoicing/PostingCommands.h"

#include <QCoreApplication>
#include <QProcess>
#include <QtTest>

#include <memory>

using namespace orvix;
using namespace orvix::test;

namespace {

const QString kRunArgument = QStringLiteral("--run");

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class PaymentCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;

    Database& db() { return m_folder->db; }
    QString folder() const { return m_folder->folder; }

    Run run(const QString& command, const QStringList& args) {
        // The folder is free while the command runs.
        db().close();
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), QStringList{kRunArgument, command} + args);
        Run r;
        if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit)
            r = {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                 QString::fromUtf8(p.readAllStandardError())};
        db().open(folder());
        return r;
    }

    qint64 cashEntries() { return db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa"), -1); }

    qint64 invoice(double gross) { return addDoc(db(), DocSpec{}, {{QStringLiteral("A"), 1, gross, 27}}); }

private Q_SLOTS:
    void init() {
        m_folder = std::make_unique<TempDataFolder>();
        addProduct(db(), QStringLiteral("A"));
        insertRow(db(), QStringLiteral("ugyfel"), {{"ugyfel", 1}, {"ugyfel_nev", QStringLiteral("Teszt")}});
    }
    void cleanup() { m_folder.reset(); }

    // A bad command line changes nothing and exits with 2.
    void badCommandLines_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("args"); // after DIR
        QTest::addColumn<QString>("message");
        QTest::newRow("pay without key") << "pay" << QStringList{} << "DIR KEY";
        QTest::newRow("pay, key not a number") << "pay" << QStringList{"abc"} << "pozitív egész szám";
        QTest::newRow("pay, bad date") << "pay" << QStringList{"1", "--date", "2026.13.01"} << "érvénytelen dátum";
        QTest::newRow("pay, voucher too long")
            << "pay" << QStringList{"1", "--voucher", QString(26, QLatin1Char('x'))} << "legfeljebb 25 karakter";
        QTest::newRow("pay-customer without desk") << "pay-customer" << QStringList{"1", "100"} << "--desk N";
        QTest::newRow("pay-customer, desk not a number")
            << "pay-customer" << QStringList{"1", "100", "--desk", "x"} << "nem egész szám";
        QTest::newRow("pay-customer, negative desk")
            << "pay-customer" << QStringList{"1", "100", "--desk", "-1"} << "0 és";
        QTest::newRow("pay-customer, amount 0") << "pay-customer" << QStringList{"1", "0", "--desk", "0"}
                                                << "pozitív szám";
        QTest::newRow("pay-customer, customer not a number")
            << "pay-customer" << QStringList{"x", "100", "--desk", "0"} << "ügyfélkód";
    }
    void badCommandLines() {
        QFETCH(QString, command);
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        invoice(1000);
        const Run r = run(command, QStringList{folder()} + args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(cashEntries(), qint64(0));
        QCOMPARE(db().queryText(QStringLiteral("SELECT fizetve FROM szla"), QString()), QStringLiteral("N"));
    }

    // "pay": the outstanding amount into the payment method's desk, the
    // document paid on the given day with the voucher; refusals exit with 1.
    void pay() {
        const qint64 key = invoice(12700);
        db().execSql(QStringLiteral("UPDATE szla SET penzfizetve=5000 WHERE szla=?"), {key});
        Run r = run(QStringLiteral("pay"), {folder(), QString::number(key), QStringLiteral("--date"),
                                            QStringLiteral("2026.03.14"), QStringLiteral("--voucher"),
                                            QStringLiteral("PB-17")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(QStringLiteral(" kifizetve")), qPrintable(r.out));
        const QVariantMap h = docRow(db(), key);
        QCOMPARE(h.value("fizetve").toString(), QStringLiteral("I"));
        QCOMPARE(h.value("penzfizetve").toDouble(), 12700.0);
        QCOMPARE(h.value("dat_fizetve").toString().left(10), QStringLiteral("2026-03-14"));
        QCOMPARE(h.value("bizonylat").toString().trimmed(), QStringLiteral("PB-17"));
        QCOMPARE(cashEntries(), qint64(1));
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT osszeg FROM cassa WHERE mozgas=?"), -1, {key}), 7700.0);

        r = run(QStringLiteral("pay"), {folder(), QString::number(key)});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("A bizonylat már ki van fizetve.")), qPrintable(r.err));

        const qint64 storno = invoice(500);
        db().execSql(QStringLiteral("UPDATE szla SET storno='I' WHERE szla=?"), {storno});
        r = run(QStringLiteral("pay"), {folder(), QString::number(storno), QStringLiteral("--date"),
                                        QStringLiteral("2026-03-14")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Sztornó bizonylat nem fizethető")), qPrintable(r.err));

        QCOMPARE(run(QStringLiteral("pay"), {folder(), QStringLiteral("999")}).exitCode, 1);
        QCOMPARE(cashEntries(), qint64(1));
    }

    // "pay-customer": one entry on the desk (0 included), the invoices
    // settled oldest first; an unknown desk or an amount above the debt
    // exits with 1 and changes nothing.
    void payCustomer() {
        const qint64 older = invoice(10000);
        const qint64 newer = invoice(8000);
        Run r = run(QStringLiteral("pay-customer"),
                    {folder(), QStringLiteral("1"), QStringLiteral("100"), QStringLiteral("--desk"), QStringLiteral("7")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Nem létező kassza: 7")), qPrintable(r.err));
        r = run(QStringLiteral("pay-customer"),
                {folder(), QStringLiteral("1"), QStringLiteral("18001"), QStringLiteral("--desk"), QStringLiteral("0")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Túl nagy szám, legfeljebb 18 000,0 lehet.")), qPrintable(r.err));
        QCOMPARE(cashEntries(), qint64(0));

        r = run(QStringLiteral("pay-customer"),
                {folder(), QStringLiteral("1"), QStringLiteral("15000"), QStringLiteral("--desk"), QStringLiteral("0")});
        QCOMPARE(r.exitCode, 0);
        const qint64 entry = db().queryInt(QStringLiteral("SELECT MAX(cassa) FROM cassa"), -1);
        QCOMPARE(r.out.trimmed(),
                 QStringLiteral("1 kifizetve: 1 teljesen, részben: %1, pénztár: %2").arg(newer).arg(entry));
        QCOMPARE(cashEntries(), qint64(1));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT cassak FROM cassa"), -1), qint64(0));
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT osszeg FROM cassa"), -1), 15000.0);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT mozgas FROM cassa"), 0), qint64(-1));
        QCOMPARE(docRow(db(), older).value("fizetve").toString(), QStringLiteral("I"));
        QCOMPARE(docRow(db(), newer).value("fizetve").toString(), QStringLiteral("N"));
        QCOMPARE(docRow(db(), newer).value("penzfizetve").toDouble(), 5000.0);
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 2 && args.at(1) == kRunArgument)
        return cli::runCommand({&postingCommands()}, args.mid(2));
    PaymentCommandsTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "paymentcommands_test.moc"
