// A process handing documents over to ForintSoft is killed at random moments:
// the import tables are always whole tables (the previous ones or the new
// ones), and a customer or document marked as handed over is always in the
// tables in place. The test program runs itself as the hand-over process.
#include "AccountingFixture.h"

#include "exports/AccountingHandOver.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <cstdio>

using namespace orvix;
using namespace orvix::test;

namespace {

const char* const kChildData = "ORVIX_HANDOVER_CHILD_DATA";
const char* const kChildOut = "ORVIX_HANDOVER_CHILD_OUT";
constexpr int kDocumentsPerRound = 3000;
constexpr int kCustomersPerRound = 300;

int runChild() {
    Database db(QStringLiteral("child"));
    db.open(QString::fromUtf8(qgetenv(kChildData)));
    ScriptedDialogs dialogs;
    fprintf(stdout, "ready\n");
    fflush(stdout);
    exportForintSoft(db, dialogs, QString::fromUtf8(qgetenv(kChildOut)));
    return 0;
}

int rounds() {
    const int n = qEnvironmentVariableIntValue("ORVIX_KILL_ROUNDS");
    return n > 0 ? n : 8;
}

} // namespace

class HandOverKillTest : public QObject {
    Q_OBJECT

    AccountingFixture f;
    int m_nextNumber = 1;
    int m_nextCode = 1;

    // New customers and documents waiting for the hand-over.
    void addRound() {
        Database::Transaction tr(f.db());
        qint64 customer = 0;
        for (int i = 0; i < kCustomersPerRound; ++i)
            customer = f.customer(QStringLiteral("Vevő Ő %1").arg(m_nextCode), m_nextCode), ++m_nextCode;
        for (int i = 0; i < kDocumentsPerRound; ++i)
            f.document(customer, m_nextNumber++, 1000, 270, 1270);
        tr.commit();
    }

    qint64 runChildFor(int killAfterMs) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kChildData), f.folder->folder);
        env.insert(QString::fromLatin1(kChildOut), f.out());
        p.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        p.start(QCoreApplication::applicationFilePath(), QStringList());
        if (!p.waitForStarted(30000))
            return -1;
        // The hand-over itself starts once the child has opened the folder.
        while (!p.canReadLine() && p.state() == QProcess::Running)
            p.waitForReadyRead(100);
        timer.restart();
        if (killAfterMs >= 0) {
            QThread::msleep(killAfterMs);
            ::kill(pid_t(p.processId()), SIGKILL);
        }
        p.waitForFinished(120000);
        return timer.elapsed();
    }

private Q_SLOTS:
    void killedHandOverKeepsTablesAndMarksTogether() {
        makeForintTables(f.out());
        f.db().close();
        // One whole run first: its duration sets the range of the kills.
        f.db().open(f.folder->folder);
        addRound();
        f.db().close();
        const qint64 full = runChildFor(-1);
        QVERIFY(full > 0);
        f.db().open(f.folder->folder);
        QCOMPARE(f.db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE atadva"), 0), kDocumentsPerRound);

        int killedBefore = 0, completed = 0, replacedUnmarked = 0;
        for (int round = 0; round < rounds(); ++round) {
            addRound();
            const int waiting = int(f.db().queryInt(
                QStringLiteral("SELECT COUNT(*) FROM szla WHERE atadva IS NULL OR atadva = FALSE"), 0));
            const int waitingCustomers =
                int(f.db().queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE kuldve='N'"), 0));
            const QByteArray before[2] = {fileHash(f.path(kFelvevo)), fileHash(f.path(kFelkisz))};
            f.db().close();
            runChildFor(int(QRandomGenerator::global()->bounded(qint64(full * 1.5) + 1)));
            f.db().open(f.folder->folder);

            const int marked = int(f.db().queryInt(
                QStringLiteral("SELECT COUNT(*) FROM szla WHERE atadva IS NULL OR atadva = FALSE"), 0));
            const int customersLeft =
                int(f.db().queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE kuldve='N'"), 0));
            const int rows = int(readWithShapelib(f.path(kFelkisz)).size());
            const int customerRows = int(readWithShapelib(f.path(kFelvevo)).size());
            if (marked == 0) {
                // Handed over: every marked row is in the tables.
                QCOMPARE(customersLeft, 0);
                QCOMPARE(rows, waiting);
                QCOMPARE(customerRows, waitingCustomers);
                ++completed;
            } else {
                // Not handed over: nothing marked; each table is the old one
                // or, killed between the renames and the marks, the new one.
                QCOMPARE(marked, waiting);
                QCOMPARE(customersLeft, waitingCustomers);
                const bool oldCustomers = fileHash(f.path(kFelvevo)) == before[0];
                const bool oldDocuments = fileHash(f.path(kFelkisz)) == before[1];
                QVERIFY(oldCustomers || customerRows == waitingCustomers);
                QVERIFY(oldDocuments || rows == waiting);
                if (oldCustomers && oldDocuments)
                    ++killedBefore;
                else
                    ++replacedUnmarked;
            }
        }
        qInfo("killed before the tables were replaced: %d, replaced but not marked: %d, completed: %d (run %lld ms)",
              killedBefore, replacedUnmarked, completed, full);
        // A later run hands over whatever was left.
        f.db().close();
        runChildFor(-1);
        f.db().open(f.folder->folder);
        QCOMPARE(f.db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE atadva IS NULL OR atadva = FALSE"), -1),
                 0);
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet(kChildData)) {
        QCoreApplication app(argc, argv);
        return runChild();
    }
    QCoreApplication app(argc, argv);
    HandOverKillTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "handoverkill_test.moc"
