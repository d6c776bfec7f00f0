// The tool killed at random points of a version change leaves the folder
// either untouched or fully upgraded, never in between.
#include "OldLayouts.h"
#include "TestFolders.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvix;

namespace {

void fillMany(Database& db, int documents) {
    Database::Transaction tr(db);
    for (int i = 1; i <= 200; ++i)
        db.execSql("INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (?, ?)", {i, QString::fromUtf8("Ügyfél %1").arg(i)});
    for (int d = 1; d <= documents; ++d) {
        db.execSql("INSERT INTO szla (szla, prntip, szlaszam, ugyfel, netto, afa, brutto, fizetve) "
                   "VALUES (?, 'S', ?, ?, ?, ?, ?, 'I')",
                   {d, d, 1 + d % 200, 100.0 * d, 27.0 * d, 127.0 * d});
        for (int s = 1; s <= 4; ++s)
            db.execSql("INSERT INTO szla_sor (szla, sor, cikkszam, mert, db, afakulcs, netto, netto25, afa25) "
                       "VALUES (?, ?, 'C1', 'db', 1, 27, 25, 25, 6.75)",
                       {d, s});
    }
    tr.commit();
}

struct State {
    QStringList layout;
    qint64 documents = 0;
    qint64 lines = 0;
    QString integrity;
};

State stateOf(const QString& folder) {
    Database db(QStringLiteral("state"));
    db.open(folder);
    State s{test::describeLayout(db), db.queryInt("SELECT COUNT(*) FROM szla", -1),
            db.queryInt("SELECT COUNT(*) FROM szla_sor", -1), db.integrityCheck()};
    return s;
}

int runUpgrade(const QString& folder) {
    QProcess p;
    p.start(qEnvironmentVariable("ORVIX_UPD"), {QStringLiteral("upgrade"), folder});
    p.waitForFinished(300000);
    if (p.exitCode() != 0)
        qWarning("%s", p.readAllStandardError().constData());
    return p.exitCode();
}

} // namespace

class UpgradeKillTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void killedRunIsAllOrNothing() {
        const int rounds = qEnvironmentVariableIntValue("ORVIX_KILL_ROUNDS") > 0
                               ? qEnvironmentVariableIntValue("ORVIX_KILL_ROUNDS")
                               : 6;
        QTemporaryDir dir;
        const QString original = dir.filePath(QStringLiteral("Eredeti"));
        {
            Database db(QStringLiteral("make"));
            test::createOldFolder(db, original, test::oldestLayout());
            fillMany(db, 3000);
        }
        const State before = stateOf(original);
        const QString probe = dir.filePath(QStringLiteral("Proba"));
        QDir().mkpath(probe);
        QVERIFY(QFile::copy(Database::databaseFile(original), Database::databaseFile(probe)));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(runUpgrade(probe), 0);
        const qint64 duration = clock.elapsed();
        const State after = stateOf(probe);
        QVERIFY(after.layout != before.layout);

        int untouched = 0, upgraded = 0;
        for (int round = 0; round < rounds; ++round) {
            const QString folder = dir.filePath(QStringLiteral("Kor%1").arg(round));
            QDir().mkpath(folder);
            QVERIFY(QFile::copy(Database::databaseFile(original), Database::databaseFile(folder)));
            QProcess p;
            p.start(qEnvironmentVariable("ORVIX_UPD"), {QStringLiteral("upgrade"), folder});
            QVERIFY(p.waitForStarted());
            QTest::qSleep(int(QRandomGenerator::global()->bounded(qMax<qint64>(1, duration * 11 / 10))));
            p.kill();
            p.waitForFinished();
            const State s = stateOf(folder);
            QCOMPARE(s.integrity, QStringLiteral("ok"));
            QCOMPARE(s.documents, before.documents);
            QCOMPARE(s.lines, before.lines);
            if (s.layout == before.layout)
                ++untouched;
            else if (s.layout == after.layout)
                ++upgraded;
            else
                QFAIL(qPrintable(QStringLiteral("round %1 left a layout between the two").arg(round)));
            // A killed run is simply run again.
            QCOMPARE(runUpgrade(folder), 0);
            QCOMPARE(stateOf(folder).layout, after.layout);
        }
        qInfo("untouched %d, upgraded %d of %d rounds (a full run takes %lld ms)", untouched, upgraded, rounds,
              duration);
    }
};

QTEST_GUILESS_MAIN(UpgradeKillTest)
#include "upgradekill_test.moc"
