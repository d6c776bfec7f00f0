// A process posting a batch of documents is killed at random moments: every
// document must be either fully posted (flags, poster, paid amount, consumed
// advance product and, when paid at issue, exactly one cash entry) or
// untouched, and no cash entry may exist without its posted document. The
// test program runs itself as the posting process.
#include "PostingFixture.h"
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "common/Database.h"
#include "core/Settings.h"
#include "invoicing/Posting.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

#include <csignal>

using namespace orvix;
using namespace orvix::test;

namespace {

const char* const kChildVariable = "ORVIX_POSTING_CHILD";
const QDate kToday(2026, 3, 14);
constexpr int kDocuments = 60;

// The posting process: posts every unposted document in key order.
int runChild() {
    Database db(QStringLiteral("child"));
    db.open(QString::fromUtf8(qgetenv(kChildVariable)));
    ScriptedDialogs dialogs;
    CurrentUser user;
    user.name = QStringLiteral("gyerek");
    QSqlQuery q = db.select(QStringLiteral("SELECT szla FROM szla WHERE konyvelve='N' ORDER BY szla"));
    std::vector<qint64> keys;
    while (q.next())
        keys.push_back(q.value(0).toLongLong());
    q.finish();
    // One line after each posting, so that the test can kill the process
    // in the middle of the next one.
    for (const qint64 key : keys) {
        if (!PostDocument(db, dialogs, Settings{}, user, key, kToday).posted)
            return 2;
        fprintf(stdout, "%lld\n", static_cast<long long>(key));
        fflush(stdout);
    }
    return 0;
}

// Every document posted completely or not at all; posted counts the posted ones.
void checkDocuments(Database& db, int& posted) {
    posted = 0;
    QSqlQuery q = db.select(QStringLiteral(
        "SELECT s.szla, s.konyvelve, s.felhasznalo, s.penzfizetve, s.brutto, s.fizetve, s.adoment_hiv, "
        "s.dat_fizetve, (SELECT COUNT(*) FROM cassa c WHERE c.mozgas = s.szla), "
        "(SELECT MIN(c.torolve) FROM szla_sor l JOIN cikkszam c ON c.cikkszam = l.cikkszam WHERE l.szla = s.szla "
        "AND l.tipus = 'E') FROM szla s ORDER BY s.szla"));
    while (q.next()) {
        const QString key = q.value(0).toString();
        const bool paid = q.value(5).toString() == QLatin1String("I");
        const int entries = q.value(8).toInt();
        const QVariant advance = q.value(9);
        if (q.value(1).toString() == QLatin1String("I")) {
            ++posted;
            QVERIFY2(q.value(2).toString() == QLatin1String("gyerek"), qPrintable(key));
            QVERIFY2(!q.value(6).isNull(), qPrintable(key));
            QVERIFY2(q.value(3).toDouble() == (paid ? q.value(4).toDouble() : 0.0), qPrintable(key));
            QVERIFY2(q.value(7).isNull() == !paid, qPrintable(key));
            QVERIFY2(entries == (paid ? 1 : 0), qPrintable(key + QStringLiteral(": %1 entries").arg(entries)));
            if (advance.isValid() && !advance.isNull())
                QVERIFY2(advance.toString() == QLatin1String("I"), qPrintable(key));
        } else {
            QVERIFY2(q.value(2).isNull(), qPrintable(key));
            QVERIFY2(q.value(3).toDouble() == 0, qPrintable(key));
            QVERIFY2(q.value(6).isNull(), qPrintable(key));
            QVERIFY2(entries == 0, qPrintable(key + QStringLiteral(": %1 entries").arg(entries)));
            if (advance.isValid() && !advance.isNull())
                QVERIFY2(advance.toString() == QLatin1String("N"), qPrintable(key));
        }
    }
    // No entry without its posted document, and the chain of the desk holds.
    QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa c LEFT JOIN szla s ON s.szla = c.mozgas "
                                        "WHERE s.konyvelve IS NULL OR s.konyvelve <> 'I'"),
                         -1),
             qint64(0));
    QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa a JOIN cassa b ON b.cassak = a.cassak AND "
                                        "b.bizszam = a.bizszam + 1 WHERE ABS(b.penzvan - a.penzvan - b.osszeg) > "
                                        "0.005"),
                         -1),
             qint64(0));
}

} // namespace

class PostingKillTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void killedPostingProcess() {
        TempDataFolder folder;
        Database& db = folder.db;
        insertRow(db, QStringLiteral("ugyfel"), {{"ugyfel", 1}, {"ugyfel_nev", QStringLiteral("Teszt")}});
        addProduct(db, QStringLiteral("A"));
        for (int i = 0; i < kDocuments; ++i) {
            const QString advance = QStringLiteral("ELO%1").arg(i);
            addProduct(db, advance, QStringLiteral("N"), QStringLiteral("I"));
            DocSpec d;
            d.fizetve = i % 3 == 0 ? QStringLiteral("N") : QStringLiteral("I");
            d.fiztip = i % 3 == 0 ? 2 : 1;
            addDoc(db, d,
                   {{QStringLiteral("A"), double(1 + i % 4), 1000.0 + i, i % 5 == 0 ? 0.0 : 27.0},
                    {advance, -1, 200, 27, QStringLiteral("E")}});
        }
        int posted = 0;
        int rounds = 0;
        int kills = 0;
        QRandomGenerator rnd(20261210);
        while (posted < kDocuments && rounds < 32) {
            ++rounds;
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QString::fromLatin1(kChildVariable), folder.folder);
            child.setProcessEnvironment(env);
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(child.waitForStarted());
            // Killed after a few postings, a moment into the next one (the
            // last rounds let it finish).
            if (rounds < 30) {
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
            const int before = posted;
            checkDocuments(db, posted);
            if (QTest::currentTestFailed())
                return;
            QVERIFY(posted >= before);
        }
        QCOMPARE(posted, kDocuments);
        QVERIFY(kills >= 5);
        QCOMPARE(db.integrityCheck(), QStringLiteral("ok"));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kChildVariable))
        return runChild();
    PostingKillTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "postingkill_test.moc"
