// The command-line companion as a user runs it: the real executable (its path
// in ORVIX_CLI), its exit codes, its messages and the data folders it leaves.
#include "common/Database.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvix;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class CliTest : public QObject {
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

    qint64 count(const QString& folder, const QString& table) {
        Database db(QStringLiteral("cli_check"));
        db.open(folder);
        return db.queryInt(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table), -1);
    }

private Q_SLOTS:
    void initTestCase() {
        m_program = qEnvironmentVariable("ORVIX_CLI");
        if (m_program.isEmpty())
            QSKIP("ORVIX_CLI (the path of Orvix_Szamla_Cli) is not set");
        QVERIFY2(QFileInfo(m_program).isExecutable(), qPrintable(m_program));
        QVERIFY(m_dir.isValid());
    }

    void help_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");
        QTest::newRow("program") << QStringList{"--help"} << "demo-data DIR";
        QTest::newRow("program -h") << QStringList{"-h"} << "init DIR";
        QTest::newRow("init") << QStringList{"init", "--help"} << "Orvix_Szamla_Cli init DIR";
        QTest::newRow("demo-data") << QStringList{"demo-data", "--help"} << "--customers N";
        QTest::newRow("help among other arguments")
            << QStringList{"demo-data", "x", "--bogus", "--help"} << "--products N";
    }
    void help() {
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        const Run r = run(args);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(QStringLiteral("Használat:")) && r.out.contains(expected), qPrintable(r.out));
        QCOMPARE(r.err, QString());
    }

    // A bad command line gives exit code 2 and a Hungarian message naming the
    // fault, and creates nothing.
    void badArguments_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("no command") << QStringList{} << "hiányzik a parancs";
        QTest::newRow("unknown command") << QStringList{"torol", "@"} << "ismeretlen parancs: torol";
        QTest::newRow("init without folder") << QStringList{"init"} << "mappát vár";
        QTest::newRow("init with two folders")
            << QStringList{"init", "@", "masik"} << "fölösleges argumentum: masik";
        QTest::newRow("init unknown option")
            << QStringList{"init", "@", "--force"} << "ismeretlen kapcsoló: --force";
        QTest::newRow("demo-data without folder")
            << QStringList{"demo-data", "--customers", "5"} << "mappát vár";
        QTest::newRow("not a number")
            << QStringList{"demo-data", "@", "--customers", "sok"} << "--customers értéke nem egész szám";
        QTest::newRow("fraction") << QStringList{"demo-data", "@", "--products=2.5"}
                                  << "--products értéke nem egész";
        QTest::newRow("missing value") << QStringList{"demo-data", "@", "--products"} << "hiányzik az érték";
        QTest::newRow("zero") << QStringList{"demo-data", "@", "--customers", "0"} << "1 és 1000000 között";
        QTest::newRow("negative") << QStringList{"demo-data", "@", "--products", "-4"}
                                  << "1 és 1000000 között";
        QTest::newRow("seed too large")
            << QStringList{"demo-data", "@", "--seed", "4294967296"} << "0 és 4294967295 között";
        QTest::newRow("unknown option")
            << QStringList{"demo-data", "@", "--invoices", "5"} << "ismeretlen kapcsoló: --invoices";
    }
    void badArguments() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const QString folder = path(QStringLiteral("bad_%1").arg(QTest::currentDataTag()));
        args.replaceInStrings(QStringLiteral("@"), folder);
        const Run r = run(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.startsWith(QStringLiteral("Hiba: ")) && r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(folder));
    }

    void initCreatesFolderOnce() {
        const QString folder = path(QStringLiteral("init/Adatok"));
        Run r = run({QStringLiteral("init"), folder});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(Database::isDataFolder(folder));
        QCOMPARE(count(folder, QStringLiteral("vat")), 3);

        r = run({QStringLiteral("init"), folder});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("már van adatbázis")), qPrintable(r.err));
        QCOMPARE(count(folder, QStringLiteral("vat")), 3);
    }

    // settings prints one key=value line per field, multi-line notes
    // included, and --set takes back what it printed; a refused value
    // changes nothing.
    void settingsCommand() {
        const QString folder = path(QStringLiteral("settings/Adatok"));
        QCOMPARE(run({QStringLiteral("init"), folder}).exitCode, 0);
        Run r = run({QStringLiteral("settings"), folder, QStringLiteral("--set"),
                     QStringLiteral("alapmegjegyzes=Első sor\\nMásodik \\\\ sor"), QStringLiteral("--set"),
                     QStringLiteral("vangari=I")});
        QCOMPARE(r.exitCode, 0);
        r = run({QStringLiteral("settings"), folder});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(lines.contains(QStringLiteral("vangari=I")));
        QVERIFY2(lines.contains(QStringLiteral("alapmegjegyzes=Első sor\\nMásodik \\\\ sor")), qPrintable(r.out));
        for (const QString& line : lines)
            QVERIFY2(line.contains(QLatin1Char('=')), qPrintable(line));
        {
            Database db(QStringLiteral("cli_settings"));
            db.open(folder);
            QCOMPARE(db.queryText(QStringLiteral("SELECT alapmegjegyzes FROM beallit"), QString()),
                     QStringLiteral("Első sor\nMásodik \\ sor"));
        }
        r = run({QStringLiteral("settings"), folder, QStringLiteral("--set"), QStringLiteral("vangari=N"),
                 QStringLiteral("--set"), QStringLiteral("afa0=nan")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(run({QStringLiteral("settings"), folder}).out.contains(QStringLiteral("vangari=I")));
        QCOMPARE(run({QStringLiteral("settings"), folder, QStringLiteral("--set"), QStringLiteral("vangari")}).exitCode,
                 2);
    }

    void demoDataFillsOnce_data() {
        QTest::addColumn<bool>("initFirst");
        QTest::newRow("new folder") << false;
        QTest::newRow("folder made by init") << true;
    }
    void demoDataFillsOnce() {
        QFETCH(bool, initFirst);
        const QString folder = path(QStringLiteral("demo_%1").arg(initFirst));
        if (initFirst)
            QCOMPARE(run({QStringLiteral("init"), folder}).exitCode, 0);
        const QStringList args = {QStringLiteral("demo-data"),
                                  folder,
                                  QStringLiteral("--customers"),
                                  QStringLiteral("25"),
                                  QStringLiteral("--products=12"),
                                  QStringLiteral("--seed"),
                                  QStringLiteral("7"),
                                  QStringLiteral("--documents"),
                                  QStringLiteral("0")};
        Run r = run(args);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(QStringLiteral("25 ügyfél, 12 termék")), qPrintable(r.out));
        QCOMPARE(count(folder, QStringLiteral("ugyfel")), 25);
        QCOMPARE(count(folder, QStringLiteral("cikkszam")), 12);

        r = run(args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("már vannak ügyfelek vagy termékek")), qPrintable(r.err));
        QCOMPARE(count(folder, QStringLiteral("ugyfel")), 25);
        QCOMPARE(count(folder, QStringLiteral("cikkszam")), 12);

        // Documents can be added to a folder that holds masters, once.
        const QStringList docs = {QStringLiteral("demo-data"), folder, QStringLiteral("--documents"),
                                  QStringLiteral("15")};
        r = run(docs);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(count(folder, QStringLiteral("szla")), 15);
        QCOMPARE(count(folder, QStringLiteral("ugyfel")), 25);
        r = run(docs);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("már vannak bizonylatok")), qPrintable(r.err));
        QCOMPARE(count(folder, QStringLiteral("szla")), 15);
    }

    // A failure after something was committed to a folder that was there
    // before: exit code 3, and what was written stays; the same failure in a
    // folder made by the run leaves nothing (exit code 1).
    void demoDataStoppedPartWay() {
        const QString folder = path(QStringLiteral("partway"));
        QCOMPARE(run({QStringLiteral("init"), folder}).exitCode, 0);
        {
            Database db(QStringLiteral("cli_trigger"));
            db.open(folder);
            db.execSql(QStringLiteral("CREATE TRIGGER no_documents BEFORE INSERT ON szla "
                                      "BEGIN SELECT RAISE(ABORT, 'nincs hely'); END"));
        }
        const Run r = run({QStringLiteral("demo-data"), folder, QStringLiteral("--customers"),
                           QStringLiteral("5"), QStringLiteral("--products"), QStringLiteral("4"),
                           QStringLiteral("--documents"), QStringLiteral("10")});
        QCOMPARE(r.exitCode, 3);
        QVERIFY2(r.err.contains(QStringLiteral("nincs hely")) && r.err.contains(QStringLiteral("megmaradtak")),
                 qPrintable(r.err));
        QCOMPARE(count(folder, QStringLiteral("ugyfel")), 5);
        QCOMPARE(count(folder, QStringLiteral("cikkszam")), 4);
        QCOMPARE(count(folder, QStringLiteral("szla")), 0);
    }

    void demoDataDefaults() {
        const QString folder = path(QStringLiteral("defaults"));
        const Run r = run({QStringLiteral("demo-data"), folder});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(count(folder, QStringLiteral("ugyfel")), 300);
        QCOMPARE(count(folder, QStringLiteral("cikkszam")), 300);
        QCOMPARE(count(folder, QStringLiteral("szla")), 1000);
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "cli_test.moc"
