// A process handing documents over (ForintSoft and KSZLAKET) is killed at
// every step of the hand-over, and at random moments: once the next run has
// finished what the killed one left, the folder holds either the previous
// tables with the previous marks or the new tables with every row in them
// marked, never new tables with old marks. A run that is going on keeps a
// second one out of the folder. The test program runs itself as the
// hand-over process.
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
const char* const kChildKind = "ORVIX_HANDOVER_CHILD_KIND";   // forint or kszlaket
const char* const kChildStop = "ORVIX_HANDOVER_CHILD_STOP";   // a step, or "row": killed there
const char* const kChildPause = "ORVIX_HANDOVER_CHILD_PAUSE"; // a step: waits there for the file "go"
constexpr int kDocumentsPerRound = 300;
constexpr int kCustomersPerRound = 30;

int runChild() {
    Database db(QStringLiteral("child"));
    db.open(QString::fromUtf8(qgetenv(kChildData)));
    const QString out = QString::fromUtf8(qgetenv(kChildOut));
    const QString stopAt = QString::fromUtf8(qgetenv(kChildStop));
    const QString pauseAt = QString::fromUtf8(qgetenv(kChildPause));
    setHandOverStepHook([&](const QString& step) {
        if (step == stopAt)
            ::raise(SIGKILL);
        if (step == pauseAt) {
            fprintf(stdout, "paused\n");
            fflush(stdout);
            for (int i = 0; i < 3000 && !QFile::exists(QDir(out).filePath(QStringLiteral("go"))); ++i)
                QThread::msleep(20);
        }
    });
    // "row": killed in the middle of writing the documents.
    const HandOverProgress progress = [&](const QString& step, int done, int total) {
        if (stopAt == QLatin1String("row") && step == QLatin1String("Bizonylatok") && done == total / 2)
            ::raise(SIGKILL);
    };
    ScriptedDialogs dialogs;
    fprintf(stdout, "ready\n");
    fflush(stdout);
    if (qgetenv(kChildKind) == "kszlaket")
        exportKSzlaKet(db, dialogs, out, progress);
    else
        exportForintSoft(db, dialogs, out, progress);
    return 0;
}

// What the folder and the marks hold after a run.
enum class State { Previous, New, Mixed };

} // namespace

class HandOverKillTest : public QObject {
    Q_OBJECT

    std::unique_ptr<AccountingFixture> f;
    bool m_forint = true;
    int m_nextNumber = 1;
    int m_nextCode = 1;
    // Before the run under test.
    QStringList m_tables;
    QList<QByteArray> m_hashes;
    int m_waitingDocuments = 0;
    int m_waitingCustomers = 0;

    // New customers and documents waiting for the hand-over.
    void addRound() {
        Database::Transaction tr(f->db());
        qint64 customer = 0;
        for (int i = 0; i < kCustomersPerRound; ++i)
            customer = f->customer(QStringLiteral("Vevő Ő %1").arg(m_nextCode), m_nextCode), ++m_nextCode;
        for (int i = 0; i < kDocumentsPerRound; ++i)
            f->document(customer, m_nextNumber++, 1000, 270, 1270);
        tr.commit();
    }

    void setUp(bool forint) {
        f = std::make_unique<AccountingFixture>();
        m_forint = forint;
        m_nextNumber = m_nextCode = 1;
        if (forint) {
            makeForintTables(f->out());
            m_tables = QStringList{kFelvevo, kFelkisz};
        } else {
            makeTable(f->path(kKSzlaKet), kKSzlaKetFields);
            m_tables = QStringList{kKSzlaKet};
        }
        // The previous tables: one whole run.
        addRound();
        handOver();
    }

    HandOverResult handOver() {
        return m_forint ? exportForintSoft(f->db(), f->dialogs, f->out()) : exportKSzlaKet(f->db(), f->dialogs, f->out());
    }

    int waitingDocuments() {
        return int(f->db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE atadva IS NULL OR atadva = FALSE"), -1));
    }
    int waitingCustomers() {
        return int(f->db().queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE kuldve='N'"), -1));
    }

    void remember() {
        m_hashes.clear();
        for (const QString& t : m_tables)
            m_hashes << fileHash(f->path(t));
        m_waitingDocuments = waitingDocuments();
        m_waitingCustomers = waitingCustomers();
    }

    State state() {
        bool previous = waitingDocuments() == m_waitingDocuments;
        for (int i = 0; i < m_tables.size(); ++i)
            previous = previous && fileHash(f->path(m_tables.at(i))) == m_hashes.at(i);
        const QString documents = f->path(m_forint ? kFelkisz : kKSzlaKet);
        bool fresh = waitingDocuments() == 0 && readWithShapelib(documents).size() == m_waitingDocuments;
        if (m_forint) {
            previous = previous && waitingCustomers() == m_waitingCustomers;
            fresh = fresh && waitingCustomers() == 0 &&
                    readWithShapelib(f->path(kFelvevo)).size() == m_waitingCustomers;
        }
        return previous ? State::Previous : fresh ? State::New : State::Mixed;
    }

    // Runs the hand-over in a child process of this program.
    QProcess* startChild(const QString& stopAt, const QString& pauseAt = {}) {
        auto* p = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kChildData), f->folder->folder);
        env.insert(QString::fromLatin1(kChildOut), f->out());
        env.insert(QString::fromLatin1(kChildKind), m_forint ? QStringLiteral("forint") : QStringLiteral("kszlaket"));
        env.insert(QString::fromLatin1(kChildStop), stopAt);
        env.insert(QString::fromLatin1(kChildPause), pauseAt);
        p->setProcessEnvironment(env);
        p->start(QCoreApplication::applicationFilePath(), QStringList());
        p->waitForStarted(30000);
        return p;
    }

    static bool waitForLine(QProcess* p, const QByteArray& line) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 60000) {
            while (p->canReadLine())
                if (p->readLine().trimmed() == line)
                    return true;
            if (p->state() != QProcess::Running)
                return false;
            p->waitForReadyRead(100);
        }
        return false;
    }

    // Files beside the tables: none once a run is over.
    QStringList strayFiles() {
        QStringList files = QDir(f->out()).entryList(QDir::Files | QDir::Hidden);
        for (const QString& t : m_tables)
            files.removeAll(t);
        return files;
    }

private Q_SLOTS:
    void killedAtEveryStep_data() {
        QTest::addColumn<bool>("forint");
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("handedOver"); // the new tables stand once the next run has finished
        const QStringList common{QStringLiteral("row"), QStringLiteral("written"), QStringLiteral("journal"),
                                 QStringLiteral("marked")};
        for (const bool forint : {true, false}) {
            QStringList steps = common;
            for (const QString& t : forint ? QStringList{kFelvevo, kFelkisz} : QStringList{kKSzlaKet})
                steps << QStringLiteral("aside ") + t << QStringLiteral("installed ") + t;
            steps << QStringLiteral("committed") << QStringLiteral("done");
            for (const QString& step : steps)
                QTest::addRow("%s, %s", forint ? "ForintSoft" : "KSZLAKET", qPrintable(step))
                    << forint << step << (step == QLatin1String("committed") || step == QLatin1String("done"));
        }
    }
    void killedAtEveryStep() {
        QFETCH(bool, forint);
        QFETCH(QString, step);
        QFETCH(bool, handedOver);
        setUp(forint);
        addRound();
        remember();
        f->db().close();
        QProcess* p = startChild(step);
        QVERIFY(p->waitForFinished(120000));
        // Killed at that very step, not finished nor failed.
        QCOMPARE(p->exitStatus(), QProcess::CrashExit);
        f->db().open(f->folder->folder);

        // Whatever the kill left is either consistent already or named in
        // the journal, which the next run (here on its own) finishes from.
        const bool journal = QFile::exists(f->path(QStringLiteral("orvix-atadas.journal")));
        if (!journal)
            QVERIFY(state() != State::Mixed);
        QCOMPARE(completeInterruptedHandOver(f->db(), f->out()), journal);
        QCOMPARE(state(), handedOver ? State::New : State::Previous);
        QCOMPARE(strayFiles(), QStringList());

        // A later run hands over whatever was left, into whole tables.
        addRound();
        remember();
        handOver();
        QCOMPARE(state(), State::New);
        QCOMPARE(strayFiles(), QStringList());
    }

    // Kills at random moments of runs of growing size: the delay range
    // follows the run's size, so every part of the run is hit.
    void killedAtRandomMoments() {
        setUp(true);
        addRound();
        remember();
        f->db().close();
        QElapsedTimer timer;
        timer.start();
        QProcess* whole = startChild(QString());
        QVERIFY(whole->waitForFinished(120000));
        const qint64 full = timer.elapsed();
        f->db().open(f->folder->folder);
        QCOMPARE(state(), State::New);

        int previous = 0, fresh = 0;
        const int rounds = qEnvironmentVariableIntValue("ORVIX_KILL_ROUNDS") > 0
                               ? qEnvironmentVariableIntValue("ORVIX_KILL_ROUNDS")
                               : 6;
        for (int round = 0; round < rounds; ++round) {
            addRound();
            remember();
            const double size = double(m_waitingDocuments) / kDocumentsPerRound;
            f->db().close();
            QProcess* p = startChild(QString());
            QVERIFY(waitForLine(p, "ready"));
            QThread::msleep(QRandomGenerator::global()->bounded(int(full * size * 1.2) + 1));
            ::kill(pid_t(p->processId()), SIGKILL);
            QVERIFY(p->waitForFinished(120000));
            f->db().open(f->folder->folder);
            completeInterruptedHandOver(f->db(), f->out());
            const State s = state();
            QVERIFY(s != State::Mixed);
            ++(s == State::New ? fresh : previous);
            QCOMPARE(strayFiles(), QStringList());
        }
        qInfo("previous tables kept: %d, new tables in place: %d (a whole run %lld ms)", previous, fresh, full);
    }

    // A second hand-over while one is between writing its tables and putting
    // them in place is refused; the first then completes with its own files.
    void runningHandOverKeepsASecondOneOut() {
        setUp(true);
        addRound();
        remember();
        QProcess* p = startChild(QString(), QStringLiteral("written"));
        QVERIFY(waitForLine(p, "paused"));
        const QStringList copies = strayFiles().filter(QStringLiteral(".orvixtmp-"));
        QCOMPARE(copies.size(), 2);
        try {
            handOver();
            QFAIL("a second hand-over ran into the folder");
        } catch (const HandOverError& e) {
            QVERIFY2(e.text().startsWith(QStringLiteral("Egy másik átadás fut ebbe a mappába")), qPrintable(e.text()));
        }
        QVERIFY(strayFiles().filter(QStringLiteral(".orvixtmp-")) == copies);
        QCOMPARE(state(), State::Previous);
        QFile go(f->path(QStringLiteral("go")));
        QVERIFY(go.open(QIODevice::WriteOnly));
        go.close();
        QVERIFY(p->waitForFinished(120000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        QCOMPARE(p->exitCode(), 0);
        QFile::remove(f->path(QStringLiteral("go")));
        QCOMPARE(state(), State::New);
        QCOMPARE(strayFiles(), QStringList());
    }

    void cleanup() {
        setHandOverStepHook({});
        f.reset();
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kChildData))
        return runChild();
    HandOverKillTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "handoverkill_test.moc"
