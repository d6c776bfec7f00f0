#include "core/CommandLine.h"

#include "common/Database.h"

#include <QTextStream>
#include <algorithm>
#include <cstdlib>

namespace orvix::cli {

bool wantsHelp(const QStringList& args) {
    return args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"));
}

std::optional<QString> parseArguments(const QStringList& args, const Options& known, Arguments& parsed) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            parsed.positional << arg;
            continue;
        }
        if (known.switches.contains(arg)) {
            if (!parsed.switches.contains(arg))
                parsed.switches << arg;
            continue;
        }
        QString name = arg;
        std::optional<QString> value;
        const int eq = arg.indexOf(QLatin1Char('='));
        if (eq > 0) {
            name = arg.left(eq);
            value = arg.mid(eq + 1);
        }
        if (!known.values.contains(name))
            return QStringLiteral("ismeretlen kapcsoló: %1").arg(name);
        if (!value) {
            if (i + 1 >= args.size())
                return QStringLiteral("a(z) %1 kapcsoló után hiányzik az érték.").arg(name);
            value = args.at(++i);
        }
        if (parsed.options.contains(name) && !known.repeatable.contains(name))
            return QStringLiteral("a(z) %1 kapcsoló csak egyszer adható meg.").arg(name);
        parsed.options[name] << *value;
    }
    return std::nullopt;
}

std::optional<QString> folderArgument(const Arguments& parsed, const QString& command, QString& folder) {
    if (const auto error = positionalArguments(
            parsed, 1, QStringLiteral("a(z) %1 parancs egy mappát vár (DIR).").arg(command)))
        return error;
    folder = parsed.positional.first();
    if (folder.trimmed().isEmpty())
        return QStringLiteral("a mappa neve üres.");
    return std::nullopt;
}

std::optional<QString> positionalArguments(const Arguments& parsed, int count, const QString& missing) {
    if (parsed.positional.size() < count)
        return missing;
    if (parsed.positional.size() > count)
        return QStringLiteral("fölösleges argumentum: %1").arg(parsed.positional.at(count));
    return std::nullopt;
}

std::optional<QString> numberOption(const Arguments& parsed, const QString& name, qint64 low, qint64 high,
                                    qint64& value) {
    if (!parsed.options.contains(name))
        return std::nullopt;
    const QString given = parsed.value(name);
    bool ok = false;
    const qint64 number = given.trimmed().toLongLong(&ok);
    if (!ok)
        return QStringLiteral("a(z) %1 értéke nem egész szám: \"%2\"").arg(name, given);
    if (number < low || number > high)
        return QStringLiteral("a(z) %1 értéke %2 és %3 között lehet, nem %4.")
            .arg(name)
            .arg(low)
            .arg(high)
            .arg(number);
    value = number;
    return std::nullopt;
}

std::optional<qint64> positiveKey(const QString& text) {
    bool ok = false;
    const qint64 key = text.trimmed().toLongLong(&ok);
    if (!ok || key <= 0)
        return std::nullopt;
    return key;
}

void print(const QString& text) {
    QTextStream(stdout) << text << '\n';
}

void printError(const QString& text) {
    QTextStream(stderr) << "Hiba: " << text << '\n';
}

void printWarning(const QString& text) {
    QTextStream(stderr) << "Figyelmeztetés: " << text << '\n';
}

int badArguments(const QString& command, const QString& text) {
    printError(text);
    QTextStream(stderr) << "Segítség: " << kProgram << ' ' << (command.isEmpty() ? QString() : command + ' ')
                        << "--help\n";
    return BadArguments;
}

QString programHelp(const std::vector<const CommandTable*>& tables) {
    QStringList usages;
    QStringList summaries;
    for (const CommandTable* table : tables)
        for (const Command& c : *table) {
            usages << (c.arguments.isEmpty() ? c.name : c.name + QLatin1Char(' ') + c.arguments);
            summaries << c.summary;
        }
    int width = 0;
    for (const QString& u : usages)
        width = std::max(width, int(u.size()));
    QStringList lines;
    lines << QStringLiteral("Használat: %1 PARANCS [KAPCSOLÓK]").arg(kProgram) << QString()
          << QStringLiteral("Parancsok:");
    for (int i = 0; i < usages.size(); ++i)
        lines << QStringLiteral("  %1  %2").arg(usages.at(i).leftJustified(width), summaries.at(i));
    lines << QString() << QStringLiteral("Egy parancs leírása: %1 PARANCS --help").arg(kProgram) << QString()
          << QStringLiteral("Kilépési kódok: 0 siker, 1 a művelet nem sikerült (semmi nem íródott),")
          << QStringLiteral("2 hibás parancssor, 3 félúton megállt (ami addig elkészült, megmaradt).");
    return lines.join(QLatin1Char('\n'));
}

int runCommand(const std::vector<const CommandTable*>& tables, const QStringList& args) {
    const QString name = args.value(0);
    for (const CommandTable* table : tables)
        for (const Command& command : *table) {
            if (command.name != name)
                continue;
            const QStringList rest = args.mid(1);
            if (wantsHelp(rest)) {
                print(command.help);
                return Success;
            }
            Arguments parsed;
            if (const auto error = parseArguments(rest, command.options, parsed))
                return badArguments(command.name, *error);
            return command.run(parsed);
        }
    return badArguments(QString(), QStringLiteral("ismeretlen parancs: %1").arg(name));
}

int runCommandLine(const std::vector<const CommandTable*>& tables, const QStringList& args) {
    if (args.size() < 2) {
        printError(QStringLiteral("hiányzik a parancs."));
        QTextStream(stderr) << '\n' << programHelp(tables) << '\n';
        return BadArguments;
    }
    const QString command = args.at(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        print(programHelp(tables));
        return Success;
    }
    return runCommand(tables, args.mid(1));
}

void silenceQtMessages() {
    if (qEnvironmentVariableIntValue("ORVIX_QT_MESSAGES") != 0)
        return;
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg) {
            QTextStream(stderr) << message << '\n';
            std::abort();
        }
    });
}

int endCommandLine(int exitCode) {
    if (!Database::damageReported())
        return exitCode;
    if (exitCode == Success || !Database::damageExplained())
        printError(Database::damageNotice());
    return exitCode == Success ? Failed : exitCode;
}

} // namespace orvix::cli
