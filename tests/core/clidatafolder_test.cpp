// The command line on data folders in trouble, as a user meets them: a run
// killed while it makes a folder, files without the program's tables, a
// damaged file, a folder locked by another workstation. Each answer is a
// Hungarian message and an exit code that tells the truth; nothing is written
// into a damaged file and no Qt diagnostic reaches the terminal.
#include "common/Database.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace orvix;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Qt's own diagnostics look like "QFSFileEngine::open: …".
bool hasQtDiagnostic(const QString& err) {
    static const QRegularExpression diagnostic(QStringLiteral("(^|\\n)Q[A-Za-z]+::"));
    return diagnostic.match(err).hasMatch();
}

} // namespace

class CliDataFolderTest : public QObject {
    Q_OBJECT

    QString m_program;
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    Run run(const QStringList& args) {
        QProcess p;
        p.start(m_program, args);
        if (!p.waitForFinished(120000))
            return {};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

    // A small demo folder with one document that is not posted yet; its key.
    // Two product codes of a folder.
    QStringList productCodes(const QString& folder) {
        Database db(QStringLiteral("codes"));
        db.open(folder);
        return db.fillItems(QStringLiteral("SELECT cikkszam FROM cikkszam ORDER BY cikkszam LIMIT 2"));
    }

    qint64 demoFolder(const QString& folder) {
        const Run demo = run({QStringLiteral("demo-data"), folder, QStringLiteral("--customers=8"),
                              QStringLiteral("--products=8"), QStringLiteral("--documents=5")});
        if (demo.exitCode != 0)
            return -1;
        const Run doc = run({QStringLiteral("new-document"), folder, QStringLiteral("--kind=S"),
                             QStringLiteral("--customer=1"),
                             QStringLiteral("--line=%1:1").arg(productCodes(folder).value(0))});
        return doc.exitCode == 0 ? doc.out.section(QLatin1Char(' '), 0, 0).toLongLong() : -1;
    }

private Q_SLOTS:
    void initTestCase() {
        m_program = qEnvironmentVariable("ORVIX_CLI");
        if (m_program.isEmpty())
            QSKIP("ORVIX_CLI (the path of Orvix_Szamla_Cli) is not set");
        QVERIFY(m_dir.isValid());
    }

    // Killed at any moment, a run that makes a data folder leaves a whole
    // database or none; never an empty file that init refuses and the
    // program cannot open.
    void killedCreationLeavesWholeDatabaseOrNone_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("init") << "init";
        QTest::newRow("demo-data") << "demo-data";
    }
    void killedCreationLeavesWholeDatabaseOrNone() {
        QFETCH(QString, command);
        const int delays[] = {0, 40, 90, 150, 250, 400};
        for (int round = 0; round < int(std::size(delays)); ++round) {
            const QString folder = path(QStringLiteral("kill_%1_%2").arg(command).arg(round));
            QProcess p;
            p.start(m_program, {command, folder});
            QVERIFY(p.waitForStarted());
            QThread::msleep(delays[round]);
            p.kill();
            p.waitForFinished();

            const QFileInfo file(Database::databaseFile(folder));
            const bool existed = file.exists();
            if (existed) {
                QVERIFY2(file.size() > 0, "an empty database file was left behind");
                const Run check = run({QStringLiteral("check"), folder});
                QVERIFY2(check.exitCode == 0, qPrintable(check.err));
            }
            const Run init = run({QStringLiteral("init"), folder});
            if (existed)
                QVERIFY2(init.exitCode == 1 && init.err.contains(QStringLiteral("már van adatbázis")),
                         qPrintable(init.err));
            else
                QVERIFY2(init.exitCode == 0, qPrintable(init.err));
            const Run check = run({QStringLiteral("check"), folder});
            QVERIFY2(check.exitCode == 0 && check.out.trimmed() == QLatin1String("ok"), qPrintable(check.err));
            // No temporary file of the creation is left; the engine's own
            // rollback journal of a killed batch may stay (it is rolled back or
            // overwritten by the next writer).
            QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
            files.removeAll(QStringLiteral("szamla.sqlite3-journal"));
            QCOMPARE(files, QStringList{QStringLiteral("szamla.sqlite3")});
        }
    }

    // check fails on a file that is no data folder, and says what to do.
    void checkRefusesFileWithoutSchema_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty file") << "empty" << "nincs adatbázis";
        QTest::newRow("database of another program") << "foreign" << "nincsenek meg a program táblái";
        QTest::newRow("a table missing") << "partial" << "hiányoznak a program táblái (minta_sor)";
        QTest::newRow("damaged") << "damaged" << "Orvix_Szamla_Upd";
    }
    void checkRefusesFileWithoutSchema() {
        QFETCH(QString, file);
        QFETCH(QString, message);
        const QString folder = path(QStringLiteral("check_") + file);
        if (file == QLatin1String("empty")) {
            QDir().mkpath(folder);
            QFile f(Database::databaseFile(folder));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        if (file == QLatin1String("foreign")) {
            Database db(QStringLiteral("foreign"));
            db.create(folder, [](Database& d) { d.execSql(QStringLiteral("CREATE TABLE jegyzet (szoveg TEXT)")); });
        }
        if (file == QLatin1String("partial") || file == QLatin1String("damaged")) {
            QCOMPARE(run({QStringLiteral("init"), folder}).exitCode, 0);
            Database db(QStringLiteral("partial"));
            db.open(folder);
            if (file == QLatin1String("partial")) {
                db.execSql(QStringLiteral("DROP TABLE minta_sor"));
            } else {
                const qint64 page = db.queryInt(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name='irsz'"), 0);
                db.close();
                QFile f(Database::databaseFile(folder));
                QVERIFY(f.open(QIODevice::ReadWrite) && f.seek((page - 1) * 4096));
                f.write(QByteArray(16, '\x7f'));
            }
        }
        const Run r = run({QStringLiteral("check"), folder});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith(QStringLiteral("Hiba: ")) && r.err.contains(message), qPrintable(r.err));
        QVERIFY2(!hasQtDiagnostic(r.err), qPrintable(r.err));

        // init takes an empty file as no database at all.
        if (file == QLatin1String("empty")) {
            QCOMPARE(run({QStringLiteral("init"), folder}).exitCode, 0);
            QCOMPARE(run({QStringLiteral("check"), folder}).exitCode, 0);
        }
    }

    // A damaged file: every command that meets the damage says so in
    // Hungarian, writes nothing and never ends with success.
    void damagedFolderIsNotWritten() {
        const QString folder = path(QStringLiteral("damaged"));
        const qint64 open = demoFolder(folder);
        QVERIFY(open > 0);
        const QString lineCode = productCodes(folder).value(0);
        const QString lines = path(QStringLiteral("lines.txt"));
        {
            QFile f(lines);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write((productCodes(folder).join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
        }
        {
            Database db(QStringLiteral("damage"));
            db.open(folder);
            const qint64 page = db.queryInt(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name='szla'"), 0);
            db.close();
            QFile f(Database::databaseFile(folder));
            QVERIFY(f.open(QIODevice::ReadWrite) && f.seek((page - 1) * 4096));
            f.write(QByteArray(16, '\x7f'));
        }
        const QList<QStringList> commands = {
            {QStringLiteral("new-document"), folder, QStringLiteral("--kind=S"), QStringLiteral("--customer=1"),
             QStringLiteral("--line=%1:1").arg(lineCode)},
            {QStringLiteral("import-lines"), folder, QString::number(open), lines},
            {QStringLiteral("counter-document"), folder, QStringLiteral("1"), QStringLiteral("--kind=W")}};
        for (int round = 0; round < 2; ++round) {
            for (const QStringList& args : commands) {
                const QByteArray before = fileHash(Database::databaseFile(folder));
                const Run r = run(args);
                QVERIFY2(r.exitCode == 1, qPrintable(args.first() + QLatin1Char(' ') + r.err));
                QVERIFY2(r.err.contains(QStringLiteral("sérült")) && r.err.contains(QStringLiteral("Orvix_Szamla_Upd")),
                         qPrintable(r.err));
                QVERIFY2(!r.err.contains(QStringLiteral("SELECT")) && !r.err.contains(QStringLiteral("INSERT")),
                         qPrintable(r.err));
                QVERIFY2(!hasQtDiagnostic(r.err), qPrintable(r.err));
                QCOMPARE(fileHash(Database::databaseFile(folder)), before);
            }
        }
    }

    // A folder another workstation keeps locked: a Hungarian message naming
    // the folder and what to do, and the same command goes through once free.
    void lockedFolderExplained() {
        const QString folder = path(QStringLiteral("locked"));
        QVERIFY(demoFolder(folder) > 0);
        const QStringList args = {QStringLiteral("new-document"), folder, QStringLiteral("--kind=S"),
                                  QStringLiteral("--customer=2"),
                                  QStringLiteral("--line=%1:3").arg(productCodes(folder).value(1))};
        Database holder(QStringLiteral("holder"));
        holder.open(folder);
        holder.execSql(QStringLiteral("BEGIN IMMEDIATE"));
        Run r = run(args);
        holder.execSql(QStringLiteral("ROLLBACK"));
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("másik munkaállomás")) &&
                     r.err.contains(QDir::toNativeSeparators(QDir(folder).absolutePath())) &&
                     r.err.contains(QStringLiteral("Részletek: ")),
                 qPrintable(r.err));
        QVERIFY2(!r.err.contains(QStringLiteral("INSERT")) && !hasQtDiagnostic(r.err), qPrintable(r.err));
        r = run(args);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    }

    void noQtDiagnostics_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty file name") << QStringList{"import-lines", "@", "1", ""} << 2 << "a fájl neve üres";
        QTest::newRow("file is a folder") << QStringList{"import-lines", "@", "1", "@"} << 1 << "nem olvasható";
    }
    void noQtDiagnostics() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        args.replaceInStrings(QStringLiteral("@"), m_dir.path());
        const Run r = run(args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(message) && !hasQtDiagnostic(r.err), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(CliDataFolderTest)
#include "clidatafolder_test.moc"
