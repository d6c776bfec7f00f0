// Re-indexing: every index of the catalogue rebuilt with its name and fields
// (a damaged or wrong index included), the empty document values filled, a
// table that cannot be rebuilt reported while the others are done, and a
// second run changing nothing.
#include "OldLayouts.h"
#include "TestFolders.h"
#include "data/Schema.h"
#include "maintenance/Reindex.h"
#include "maintenance/UpdCommands.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace orvix;
using namespace orvix::maintenance;

namespace {

struct Recorder : Reporter {
    QStringList errors, statuses;
    void error(const QString& t) override { errors << t; }
    void status(const QString& t) override { statuses << t; }
};

// Rewrites an index's stored definition behind the engine's back, so that
// its entries no longer match its declared key: a damaged index.
void damageIndex(const QString& folder, const char* index, const char* wrongSql) {
    sqlite3* h = nullptr;
    QVERIFY(sqlite3_open(QFile::encodeName(Database::databaseFile(folder)).constData(), &h) == SQLITE_OK);
    sqlite3_exec(h, "PRAGMA writable_schema=ON", nullptr, nullptr, nullptr);
    const QByteArray sql = QStringLiteral("UPDATE sqlite_master SET sql='%1' WHERE name='%2'")
                               .arg(QLatin1String(wrongSql), QLatin1String(index))
                               .toUtf8();
    QCOMPARE(sqlite3_exec(h, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(h);
}

} // namespace

class ReindexTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void catalogueIndexesRebuilt() {
        test::TempDataFolder f(QStringLiteral("rx"));
        const QStringList fresh = test::describeLayout(f.db);
        for (int i = 1; i <= 30; ++i)
            f.db.execSql("INSERT INTO ugyfel (ugyfel_nev, telefon) VALUES (?, ?)",
                         {QString::fromUtf8("Ügyfél %1").arg(i), QStringLiteral("%1").arg(100 - i)});
        // An index missing, one on the wrong field, one of the user's own.
        f.db.execSql("DROP INDEX idx_emil");
        f.db.execSql("DROP INDEX idx_kategoria");
        f.db.execSql("CREATE INDEX idx_kategoria ON cikkszam (vtsz)");
        f.db.execSql("CREATE INDEX sajat ON ugyfel (fax)");
        f.db.close();
        damageIndex(f.folder, "idx_ugyfel_nev", "CREATE INDEX idx_ugyfel_nev ON ugyfel (telefon)");
        f.db.open(f.folder);
        QVERIFY(f.db.integrityCheck() != QStringLiteral("ok"));
        f.db.close();

        Recorder r;
        const ReindexResult result = reindexFolder(f.folder, r);
        QVERIFY2(result.clean(), qPrintable(r.errors.join('\n') + result.integrity));
        QCOMPARE(r.statuses.count(QStringLiteral("Index készítés: ugyfel")), 1);
        f.db.open(f.folder);
        QCOMPARE(f.db.integrityCheck(), QStringLiteral("ok"));
        QStringList now = test::describeLayout(f.db);
        QVERIFY(now.removeAll(QStringLiteral("index ugyfel sajat unique=0 (fax asc HU)")) == 1);
        QCOMPARE(now, fresh);
        // Statistics for the planner.
        QVERIFY(f.db.queryInt("SELECT COUNT(*) FROM sqlite_stat1", 0) > 0);

        // A second run gives the same indexes and the same rows.
        const QStringList rows = test::dumpRows(f.db);
        f.db.close();
        reindexFolder(f.folder, r);
        f.db.open(f.folder);
        QStringList again = test::describeLayout(f.db);
        again.removeAll(QStringLiteral("index ugyfel sajat unique=0 (fax asc HU)"));
        QCOMPARE(again, fresh);
        const auto noStats = [](QStringList l) {
            l.erase(std::remove_if(l.begin(), l.end(), [](const QString& s) { return s.startsWith("sqlite_stat"); }),
                    l.end());
            return l;
        };
        QCOMPARE(noStats(test::dumpRows(f.db)), noStats(rows));
    }

    void emptyDocumentValuesFilled_data() {
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("check");
        QTest::newRow("empty currency") << "vat=''" << "vat='HUF'";
        QTest::newRow("currency I") << "vat='I'" << "vat='HUF'";
        QTest::newRow("no currency") << "vat=NULL" << "vat='HUF'";
        QTest::newRow("euro kept") << "vat='EUR'" << "vat='EUR'";
        QTest::newRow("empty VAT flag") << "afas=''" << "afas='I'";
        QTest::newRow("no VAT flag") << "afas=NULL" << "afas='I'";
        QTest::newRow("N kept") << "afas='N'" << "afas='N'";
        QTest::newRow("no net") << "netto=NULL" << "netto=0";
        QTest::newRow("no VAT") << "afa=NULL" << "afa=0";
        QTest::newRow("no gross") << "brutto=NULL" << "brutto=0";
        QTest::newRow("no paid") << "penzfizetve=NULL" << "penzfizetve=0";
        QTest::newRow("paid kept") << "penzfizetve=12.5" << "penzfizetve=12.5";
    }
    void emptyDocumentValuesFilled() {
        QFETCH(QString, set);
        QFETCH(QString, check);
        test::TempDataFolder f(QStringLiteral("fix"));
        f.db.execSql("INSERT INTO szla (szla, prntip, szlaszam, vat, afas, netto, afa, brutto, penzfizetve) "
                     "VALUES (1, 'S', 1, 'HUF', 'I', 100, 27, 127, 0)");
        f.db.execSql("UPDATE szla SET " + set);
        f.db.close();
        Recorder r;
        reindexFolder(f.folder, r);
        f.db.open(f.folder);
        QCOMPARE(f.db.queryInt("SELECT COUNT(*) FROM szla WHERE " + check, 0), 1);
    }

    // A table that is missing (an old folder) is reported by name; every other
    // table is rebuilt; the command line ends with 3.
    void missingTableReportedOthersDone() {
        test::TempDataFolder f(QStringLiteral("miss"));
        f.db.execSql("DROP TABLE eloleg");
        f.db.execSql("DROP INDEX idx_vtsz_nev");
        f.db.close();
        Recorder r;
        const ReindexResult result = reindexFolder(f.folder, r);
        QCOMPARE(result.failedTables, QStringList{QStringLiteral("eloleg")});
        QCOMPARE(r.errors.size(), 1);
        QVERIFY(r.errors.first().startsWith(QStringLiteral("Ismeretlen hiba: eloleg\n")));
        f.db.open(f.folder);
        QCOMPARE(f.db.queryInt("SELECT COUNT(*) FROM sqlite_master WHERE name='idx_vtsz_nev'", 0), 1);
        f.db.close();

        QProcess p;
        p.start(qEnvironmentVariable("ORVIX_UPD"), {QStringLiteral("reindex"), f.folder});
        QVERIFY(p.waitForFinished(120000));
        QCOMPARE(p.exitCode(), 3);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("eloleg")));
        QVERIFY(QString::fromUtf8(p.readAllStandardOutput()).contains(QString::fromUtf8("Index készítés: szla")));
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("text");
        QTest::newRow("no command") << QStringList{} << 2 << QString::fromUtf8("Használat");
        QTest::newRow("unknown") << QStringList{"upgrad", "x"} << 2 << QString::fromUtf8("Ismeretlen parancs");
        QTest::newRow("folder missing") << QStringList{"reindex"} << 2 << QString::fromUtf8("Hibás paraméterek");
        QTest::newRow("too many") << QStringList{"upgrade", "a", "b"} << 2 << QString::fromUtf8("Hibás paraméterek");
        QTest::newRow("import needs two") << QStringList{"import-paradox", "a"} << 2
                                          << QString::fromUtf8("Hibás paraméterek");
        QTest::newRow("no such folder") << QStringList{"upgrade", "/nincs/ilyen"} << 1
                                        << QString::fromUtf8("Nem létező adatbázis mappa.");
        QTest::newRow("help") << QStringList{"--help"} << 0 << QString::fromUtf8("import-paradox");
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, text);
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        QCOMPARE(runCommand(args, out, err), exitCode);
        QVERIFY2((outText + errText).contains(text), qPrintable(outText + errText));
    }
};

QTEST_GUILESS_MAIN(ReindexTest)
#include "reindex_test.moc"
