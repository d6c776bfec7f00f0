// The shared argument handling of the command line: one option parser for
// every command, the help and the dispatch over the subsystems' tables.
#include "core/CommandLine.h"
#include "core/CoreCommands.h"
#include "invoicing/DocumentCommands.h"
#include "masters/MasterCommands.h"

#include <QSet>
#include <QtTest>

using namespace orvix;
using namespace orvix::cli;

class CommandLineTest : public QObject {
    Q_OBJECT

    const Options m_options{{QStringLiteral("--kind"), QStringLiteral("--line")},
                            {QStringLiteral("--line")},
                            {QStringLiteral("--qty")}};

    static std::vector<const CommandTable*> programTables() {
        return {&coreCommands(), &masterCommands(), &documentCommands()};
    }

private Q_SLOTS:
    // What the parser makes of a command line, or the fault it names.
    void parse_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("positional");
        QTest::addColumn<QStringList>("kinds"); // values of --kind
        QTest::addColumn<QStringList>("lines"); // values of --line
        QTest::addColumn<bool>("qty");
        QTest::addColumn<QString>("error");
        const QStringList none;
        QTest::newRow("positional only")
            << QStringList{"a", "b"} << QStringList{"a", "b"} << none << none << false << "";
        QTest::newRow("value after the name") << QStringList{"DIR", "--kind", "S"} << QStringList{"DIR"}
                                              << QStringList{"S"} << none << false << "";
        QTest::newRow("value after =") << QStringList{"--kind=J", "DIR"} << QStringList{"DIR"}
                                       << QStringList{"J"} << none << false << "";
        QTest::newRow("value holding =")
            << QStringList{"--line=A=B:1"} << none << none << QStringList{"A=B:1"} << false << "";
        QTest::newRow("value starting with a dash")
            << QStringList{"--line", "-5"} << none << none << QStringList{"-5"} << false << "";
        QTest::newRow("repeated where allowed, in order")
            << QStringList{"--line", "A:1", "X", "--line=B:2"} << QStringList{"X"} << none
            << QStringList{"A:1", "B:2"} << false << "";
        QTest::newRow("switch") << QStringList{"--qty", "DIR"} << QStringList{"DIR"} << none << none << true
                                << "";
        QTest::newRow("lone dash is positional")
            << QStringList{"-"} << QStringList{"-"} << none << none << false << "";
        QTest::newRow("repeated where not allowed")
            << QStringList{"--kind", "S", "--kind", "J"} << none << none << none << false
            << "a(z) --kind kapcsoló csak egyszer adható meg.";
        QTest::newRow("unknown option") << QStringList{"DIR", "--force"} << none << none << none << false
                                        << "ismeretlen kapcsoló: --force";
        QTest::newRow("unknown option with value")
            << QStringList{"--force=1"} << none << none << none << false << "ismeretlen kapcsoló: --force";
        QTest::newRow("switch given a value")
            << QStringList{"--qty=1"} << none << none << none << false << "ismeretlen kapcsoló: --qty";
        QTest::newRow("single dash option")
            << QStringList{"-x"} << none << none << none << false << "ismeretlen kapcsoló: -x";
        QTest::newRow("missing value") << QStringList{"DIR", "--kind"} << none << none << none << false
                                       << "a(z) --kind kapcsoló után hiányzik az érték.";
    }
    void parse() {
        QFETCH(QStringList, args);
        QFETCH(QStringList, positional);
        QFETCH(QStringList, kinds);
        QFETCH(QStringList, lines);
        QFETCH(bool, qty);
        QFETCH(QString, error);
        Arguments parsed;
        const std::optional<QString> fault = parseArguments(args, m_options, parsed);
        QCOMPARE(fault.value_or(QString()), error);
        if (!error.isEmpty())
            return;
        QCOMPARE(parsed.positional, positional);
        QCOMPARE(parsed.values(QStringLiteral("--kind")), kinds);
        QCOMPARE(parsed.values(QStringLiteral("--line")), lines);
        QCOMPARE(parsed.has(QStringLiteral("--qty")), qty);
        QCOMPARE(parsed.has(QStringLiteral("--kind")), !kinds.isEmpty());
    }

    void numbers_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("error");
        QTest::newRow("absent keeps the default") << QStringList{} << qint64(300) << "";
        QTest::newRow("within") << QStringList{"--n", " 25 "} << qint64(25) << "";
        QTest::newRow("low edge") << QStringList{"--n", "1"} << qint64(1) << "";
        QTest::newRow("high edge") << QStringList{"--n=1000"} << qint64(1000) << "";
        QTest::newRow("below") << QStringList{"--n", "0"} << qint64(300)
                               << "a(z) --n értéke 1 és 1000 között lehet, nem 0.";
        QTest::newRow("above") << QStringList{"--n", "1001"} << qint64(300)
                               << "a(z) --n értéke 1 és 1000 között lehet, nem 1001.";
        QTest::newRow("fraction") << QStringList{"--n", "2.5"} << qint64(300)
                                  << "a(z) --n értéke nem egész szám: \"2.5\"";
        QTest::newRow("beyond 64 bits") << QStringList{"--n", "99999999999999999999"} << qint64(300)
                                        << "a(z) --n értéke nem egész szám: \"99999999999999999999\"";
    }
    void numbers() {
        QFETCH(QStringList, args);
        QFETCH(qint64, value);
        QFETCH(QString, error);
        Arguments parsed;
        QVERIFY(!parseArguments(args, {{QStringLiteral("--n")}, {}, {}}, parsed));
        int number = 300;
        const std::optional<QString> fault = numberOption(parsed, QStringLiteral("--n"), 1, 1000, number);
        QCOMPARE(fault.value_or(QString()), error);
        QCOMPARE(qint64(number), value);
    }

    void positionals_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error");
        QTest::newRow("exact") << QStringList{"DIR", "12"} << "";
        QTest::newRow("missing") << QStringList{"DIR"} << "DIR KEY kell";
        QTest::newRow("too many") << QStringList{"DIR", "12", "x", "y"} << "fölösleges argumentum: x";
    }
    void positionals() {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        Arguments parsed;
        QVERIFY(!parseArguments(args, {}, parsed));
        QCOMPARE(positionalArguments(parsed, 2, QStringLiteral("DIR KEY kell")).value_or(QString()), error);
    }

    // The overall help lists every command of every table once, with its
    // arguments and summary; each command's own help is about that command.
    void helpFromTheTables() {
        const std::vector<const CommandTable*> tables = programTables();
        const QString help = programHelp(tables);
        QSet<QString> names;
        for (const CommandTable* table : tables)
            for (const Command& c : *table) {
                QVERIFY2(!names.contains(c.name), qPrintable(c.name));
                names.insert(c.name);
                const QRegularExpression line(QStringLiteral("\\n  %1 %2 +%3\\n")
                                                  .arg(QRegularExpression::escape(c.name),
                                                       QRegularExpression::escape(c.arguments),
                                                       QRegularExpression::escape(c.summary)));
                QVERIFY2(line.match(help).hasMatch(), qPrintable(c.name + QLatin1Char('\n') + help));
                QVERIFY2(c.help.startsWith(QStringLiteral("Használat: Orvix_Szamla_Cli %1 ").arg(c.name)),
                         qPrintable(c.help));
                QVERIFY(c.run);
            }
        for (const char* name : {"init", "check", "customers", "products", "demo-data", "new-document",
                                 "counter-document", "import-lines"})
            QVERIFY2(names.contains(QLatin1String(name)), name);
        QVERIFY2(help.contains(QStringLiteral("3 félúton megállt")), qPrintable(help));
    }

    // The dispatch: help wins over every other argument and runs nothing, a
    // bad command line never reaches the command, the parsed arguments do.
    void dispatch() {
        int runs = 0;
        Arguments seen;
        const CommandTable first{{QStringLiteral("one"),
                                  QStringLiteral("DIR"),
                                  QStringLiteral("első"),
                                  QStringLiteral("Használat: one"),
                                  {{QStringLiteral("--n")}, {}, {}},
                                  [&](const Arguments& a) {
                                      ++runs;
                                      seen = a;
                                      return 3;
                                  }}};
        const CommandTable second{{QStringLiteral("two"),
                                   QString(),
                                   QStringLiteral("második"),
                                   QStringLiteral("Használat: two"),
                                   {},
                                   [&](const Arguments&) {
                                       runs += 10;
                                       return 0;
                                   }}};
        const std::vector<const CommandTable*> tables{&first, &second};
        QCOMPARE(runCommand(tables, {QStringLiteral("one"), QStringLiteral("x"), QStringLiteral("--bogus"),
                                     QStringLiteral("-h")}),
                 int(Success));
        QCOMPARE(runs, 0);
        QCOMPARE(runCommand(tables, {QStringLiteral("one"), QStringLiteral("--bogus")}), int(BadArguments));
        QCOMPARE(runs, 0);
        QCOMPARE(runCommand(tables, {QStringLiteral("three")}), int(BadArguments));
        QCOMPARE(runCommandLine(tables, {QStringLiteral("prog")}), int(BadArguments));
        QCOMPARE(runCommandLine(tables, {QStringLiteral("prog"), QStringLiteral("--help")}), int(Success));
        QCOMPARE(runs, 0);
        QCOMPARE(runCommandLine(tables, {QStringLiteral("prog"), QStringLiteral("one"), QStringLiteral("D"),
                                         QStringLiteral("--n=4")}),
                 3);
        QCOMPARE(runs, 1);
        QCOMPARE(seen.positional, QStringList{QStringLiteral("D")});
        QCOMPARE(seen.value(QStringLiteral("--n")), QStringLiteral("4"));
        QCOMPARE(runCommand(tables, {QStringLiteral("two")}), int(Success));
        QCOMPARE(runs, 11);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "commandline_test.moc"
