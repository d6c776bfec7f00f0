// A process taking combined payments is killed at random moments: each
// customer pays 15 000 over invoices of 10 000 and 8 000, and must end with
// either everything (one cash entry of 15 000, the first invoice paid, the
// second with 5 000 paid and still unpaid) or nothing. The test program runs
// itself as the paying process.
#include "PostingFixture.h"
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "common/Database.h"
#include "invoicing/Payments.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

#include <csignal>

using namespace orvix;
using namespace orvix::test;

namespace {

const char* const kChildVariable = "ORVIX_PAYMENT_CHILD";
const QDate kToday(2026, 3, 14);
constexpr int kCustomers = 40;
constexpr qint64 kDesk = 1;

QString customerName(int c) { return QStringLiteral("Vevő %1").arg(c); }

// The paying process: every customer without a cash entry pays 15 000.
int runChild() {
    Database db(QStringLiteral("child"));
    db.open(QString::fromUtf8(qgetenv(kChildVariable)));
    ScriptedDialogs dialogs;
    for (int c = 1; c <= kCustomers; ++c) {
        if (db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa WHERE ugyfel_nev=?"), -1, {customerName(c)}) > 0)
            continue;
        if (!PayCustomer(db, dialogs, c, 15000, kDesk, kToday).done)
            return 2;
        fprintf(stdout, "%d\n", c);
        fflush(stdout);
    }
    return 0;
}

// Every customer paid completely or not at all; paid counts the paid ones.
void checkCustomers(Database& db, int& paid) {
    paid = 0;
    for (int c = 1; c <= kCustomers; ++c) {
        const QString name = customerName(c);
        const qint64 entries =
            db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa WHERE ugyfel_nev=?"), -1, {name});
        QSqlQuery q = db.select(
            QStringLiteral("SELECT fizetve, penzfizetve FROM szla WHERE ugyfel=? ORDER BY szla"), {c});
        QVERIFY(q.next());
        const QString firstFlag = q.value(0).toString();
        const double firstPaid = q.value(1).toDouble();
        QVERIFY(q.next());
        const QString secondFlag = q.value(0).toString();
        const double secondPaid = q.value(1).toDouble();
        if (entries == 1) {
            ++paid;
            QCOMPARE(db.queryFloat(QStringLiteral("SELECT osszeg FROM cassa WHERE ugyfel_nev=?"), -1, {name}),
                     15000.0);
            QVERIFY2(firstFlag == QLatin1String("I") && firstPaid == 10000, qPrintable(name));
            QVERIFY2(secondFlag == QLatin1String("N") && secondPaid == 5000, qPrintable(name));
        } else {
            QVERIFY2(entries == 0, qPrintable(name));
            QVERIFY2(firstFlag == QLatin1String("N") && firstPaid == 0, qPrintable(name));
            QVERIFY2(secondFlag == QLatin1String("N") && secondPaid == 0, qPrintable(name));
        }
    }
    // The desk's chain of balances holds.
    QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa a JOIN cassa b ON b.cassak = a.cassak AND "
                                        "b.bizszam = a.bizszam + 1 WHERE ABS(b.penzvan - a.penzvan - b.osszeg) > "
                                        "0.005"),
                         -1),
             qint64(0));
}

} // namespace

class PaymentKillTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void killedPaymentProcess() {
        TempDataFolder folder;
        Database& db = folder.db;
        addProduct(db, QStringLiteral("A"));
        for (int c = 1; c <= kCustomers; ++c) {
            insertRow(db, QStringLiteral("ugyfel"), {{"ugyfel", c}, {"ugyfel_nev", customerName(c)}});
            DocSpec d;
            d.ugyfel = c;
            d.customer = customerName(c);
            addDoc(db, d, {{QStringLiteral("A"), 1, 10000, 27}});
            addDoc(db, d, {{QStringLiteral("A"), 1, 8000, 27}});
        }
        int paid = 0;
        int rounds = 0;
        int kills = 0;
        QRandomGenerator rnd(20261211);
        while (paid < kCustomers && rounds < 12) {
            ++rounds;
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QString::fromLatin1(kChildVariable), folder.folder);
            child.setProcessEnvironment(env);
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(child.waitForStarted());
            // Killed after a few payments, a moment into the next one (the
            // last rounds let it finish).
            if (rounds < 10) {
                const int after = 1 + rnd.bounded(4);
                int lines = 0;
                while (lines < after && child.state() == QProcess::Running) {
                    child.waitForReadyRead(200);
                    lines += child.readAllStandardOutput().count('\n');
                }
                QThread::usleep(rnd.bounded(3000));
                // Only the child: a pid of 0 would name the whole process group.
                if (child.state() == QProcess::Running && child.processId() > 0)
                    ::kill(pid_t(child.processId()), SIGKILL);
                if (child.state() != QProcess::NotRunning)
                    QVERIFY(child.waitForFinished(10000));
                if (child.exitStatus() == QProcess::CrashExit)
                    ++kills;
            } else {
                QVERIFY(child.waitForFinished(120000));
                QCOMPARE(child.exitCode(), 0);
            }
            const int before = paid;
            checkCustomers(db, paid);
            if (QTest::currentTestFailed())
                return;
            QVERIFY(paid >= before);
        }
        QCOMPARE(paid, kCustomers);
        QVERIFY(kills >= 3);
        QCOMPARE(db.integrityCheck(), QStringLiteral("ok"));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kChildVariable))
        return runChild();
    PaymentKillTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "paymentkill_test.moc"
