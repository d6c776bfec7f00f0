#include "core/CommandLine.h"

#include "invoicing/DemoDocuments.h"
#include "invoicing/DocumentCommands.h"
#include "invoicing/Documents.h"
#include "invoicing/ImportCommand.h"
#include "masters/MasterCommands.h"

#include "common/Database.h"
#include "core/DemoData.h"
#include "data/Schema.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QTextStream>
#include <cstdlib>
#include <optional>

namespace orvix {

namespace {

// Exit codes of every command.
enum ExitCode { Success = 0, Failed = 1, BadArguments = 2 };

const char* const kProgram = "Orvix_Szamla_Cli";

void print(const QString& text) {
    QTextStream out(stdout);
    out << text << '\n';
}

void printError(const QString& text) {
    QTextStream err(stderr);
    err << "Hiba: " << text << '\n';
}

// A bad command line: the message, a pointer to the help, exit code 2.
int badArguments(const QString& command, const QString& text) {
    printError(text);
    QTextStream(stderr) << "Segítség: " << kProgram << ' ' << (command.isEmpty() ? QString() : command + ' ')
                        << "--help\n";
    return BadArguments;
}

// ---------------------------------------------------------------------------
// Arguments of one command: positional arguments and "--name value" (or
// "--name=value") options.

struct Arguments {
    QStringList positional;
    QMap<QString, QString> options;
};

// --help (or -h) anywhere among the arguments wins over every other argument.
bool wantsHelp(const QStringList& args) {
    return args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"));
}

// Splits the arguments of a command; valueOptions are the option names the
// command knows. Returns the Hungarian error text on a bad command line.
std::optional<QString> parseArguments(const QStringList& args, const QStringList& valueOptions,
                                      Arguments& parsed) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            parsed.positional << arg;
            continue;
        }
        QString name = arg;
        std::optional<QString> value;
        const int eq = arg.indexOf(QLatin1Char('='));
        if (eq > 0) {
            name = arg.left(eq);
            value = arg.mid(eq + 1);
        }
        if (!valueOptions.contains(name))
            return QStringLiteral("ismeretlen kapcsoló: %1").arg(name);
        if (!value) {
            if (i + 1 >= args.size())
                return QStringLiteral("a(z) %1 kapcsoló után hiányzik az érték.").arg(name);
            value = args.at(++i);
        }
        parsed.options.insert(name, *value);
    }
    return std::nullopt;
}

// The one folder argument of a command.
std::optional<QString> folderArgument(const Arguments& parsed, const QString& command, QString& folder) {
    if (parsed.positional.isEmpty())
        return QStringLiteral("a(z) %1 parancs egy mappát vár (DIR).").arg(command);
    if (parsed.positional.size() > 1)
        return QStringLiteral("fölösleges argumentum: %1").arg(parsed.positional.at(1));
    folder = parsed.positional.first();
    if (folder.trimmed().isEmpty())
        return QStringLiteral("a mappa neve üres.");
    return std::nullopt;
}

// A whole number option within [low, high]; absent leaves value unchanged.
template <typename T>
std::optional<QString> numberOption(const Arguments& parsed, const QString& name, qint64 low, qint64 high,
                                    T& value) {
    if (!parsed.options.contains(name))
        return std::nullopt;
    const QString text = parsed.options.value(name).trimmed();
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    if (!ok)
        return QStringLiteral("a(z) %1 értéke nem egész szám: \"%2\"").arg(name, parsed.options.value(name));
    if (number < low || number > high)
        return QStringLiteral("a(z) %1 értéke %2 és %3 között lehet, nem %4.")
            .arg(name)
            .arg(low)
            .arg(high)
            .arg(number);
    value = T(number);
    return std::nullopt;
}

// ---------------------------------------------------------------------------
// Help texts

QString programHelp() {
    return QStringLiteral(
        "Használat: Orvix_Szamla_Cli PARANCS [KAPCSOLÓK]\n"
        "\n"
        "Parancsok:\n"
        "  init DIR        új, üres adatmappa létrehozása\n"
        "  demo-data DIR   adatmappa feltöltése mintaadatokkal (kibocsátó, ügyfelek, termékek)\n"
        "  check DIR       az adatmappa épségének ellenőrzése\n"
        "  customers DIR   a vevők listája pontosvesszővel tagolva\n"
        "  products DIR    a termékek listája pontosvesszővel tagolva\n"
        "  new-document DIR          új bizonylat tételekkel\n"
        "  counter-document DIR KEY  ellenbizonylat (W érvénytelenítő, J helyesbítő)\n"
        "  import-lines DIR KEY FILE tételek importja bizonylatba\n"
        "\n"
        "Egy parancs leírása: Orvix_Szamla_Cli PARANCS --help\n"
        "\n"
        "Kilépési kódok: 0 siker, 1 a művelet nem sikerült, 2 hibás parancssor.");
}

QString initHelp() {
    return QStringLiteral("Használat: Orvix_Szamla_Cli init DIR\n"
                          "\n"
                          "Új adatmappát hoz létre a DIR mappában (a mappát is létrehozza, ha nincs):\n"
                          "minden táblát, a kezdő sorokat és az irányítószám-táblát.\n"
                          "Ha a mappában már van adatbázis, nem változtat rajta, és 1-es kóddal lép ki.");
}

QString demoDataHelp() {
    return QStringLiteral(
        "Használat: Orvix_Szamla_Cli demo-data DIR [--customers N] [--products N] [--documents N] [--seed S]\n"
        "\n"
        "Mintaadatokkal tölti fel a DIR adatmappát: kibocsátó, ügyfelek, termékek,\n"
        "termékkategóriák, származási helyek, mértékegységek és bizonylatok (számlák,\n"
        "helyesbítő számlák, sztornózott számlák érvénytelenítő okirattal, proformák)\n"
        "több évre elosztva. Ha DIR-ben még nincs adatmappa, előbb létrehozza. Meglévő\n"
        "adatmappát csak akkor tölt fel, ha abban még nincs ügyfél és termék; ha már\n"
        "vannak, de bizonylat még nincs, a --documents kapcsolóval csak bizonylatokat\n"
        "tölt be. Különben nem változtat rajta, és 1-es kóddal lép ki.\n"
        "\n"
        "Kapcsolók:\n"
        "  --documents N   a bizonylatok száma (0 … 1000000, alapértelmezés: 1000)\n"
        "  --customers N   az ügyfelek száma (1 … 1000000, alapértelmezés: 300)\n"
        "  --products N    a termékek száma (1 … 1000000, alapértelmezés: 300)\n"
        "  --seed S        a véletlen adatok magja (0 … 4294967295, alapértelmezés: 1);\n"
        "                  ugyanaz a mag mindig ugyanazokat az adatokat adja");
}

// ---------------------------------------------------------------------------
// Commands

// The start of a command that takes one folder and no options: --help, or the
// folder. Returns the exit code when the command is already over.
std::optional<int> folderCommand(const QStringList& args, const QString& command, const QString& help,
                                 QString& folder) {
    if (wantsHelp(args)) {
        print(help);
        return Success;
    }
    Arguments parsed;
    if (const auto error = parseArguments(args, {}, parsed))
        return badArguments(command, *error);
    if (const auto error = folderArgument(parsed, command, folder))
        return badArguments(command, *error);
    return std::nullopt;
}

int cmdInit(const QStringList& args) {
    QString folder;
    if (const auto done = folderCommand(args, QStringLiteral("init"), initHelp(), folder))
        return *done;

    Database db(QStringLiteral("cli"));
    try {
        data::createDataFolder(db, folder);
    } catch (const DbError& e) {
        printError(e.text());
        return Failed;
    }
    print(QStringLiteral("Adatmappa létrehozva: %1").arg(QDir::toNativeSeparators(folder)));
    return Success;
}

int cmdCheck(const QStringList& args) {
    QString folder;
    if (const auto done = folderCommand(
            args, QStringLiteral("check"),
            QStringLiteral("Használat: Orvix_Szamla_Cli check DIR\n"
                           "\n"
                           "Ellenőrzi a DIR adatmappa adatbázisfájljának épségét (indexekkel együtt),\n"
                           "és hogy megvannak-e benne a program táblái.\n"
                           "Kiírja: ok, vagy a talált hibákat; hiba esetén 1-es kóddal lép ki."),
            folder))
        return *done;
    Database db(QStringLiteral("cli"));
    try {
        db.open(folder);
        // A file without the program's tables is no data folder, however sound.
        if (const QStringList missing = data::missingTables(db); !missing.isEmpty()) {
            const QString where = QDir::toNativeSeparators(db.folder());
            bool anyOfOurs = false;
            for (const QString& table : db.tableNames())
                anyOfOurs = anyOfOurs || data::findTable(table) != nullptr;
            if (!anyOfOurs)
                printError(QStringLiteral("Az adatmappa %1 fájljában nincsenek meg a program táblái: %2\n"
                                          "Ha nincs benne szükséges adat, helyezze át vagy törölje a fájlt, és "
                                          "hozza létre újra az adatmappát (init).")
                               .arg(QLatin1String(Database::FileName), where));
            else
                printError(QStringLiteral("Az adatbázisfájlból hiányoznak a program táblái (%1): %2\n"
                                          "Egészítse ki a karbantartó programmal (Orvix_Szamla_Upd).")
                               .arg(missing.join(QStringLiteral(", ")), where));
            return Failed;
        }
        const QString result = db.integrityCheck();
        print(result);
        return result == QLatin1String("ok") ? Success : Failed;
    } catch (const DbError& e) {
        printError(e.text());
        return Failed;
    }
}

int cmdDemoData(const QStringList& args) {
    const QString command = QStringLiteral("demo-data");
    const QString customers = QStringLiteral("--customers");
    const QString products = QStringLiteral("--products");
    const QString documents = QStringLiteral("--documents");
    const QString seed = QStringLiteral("--seed");
    if (wantsHelp(args)) {
        print(demoDataHelp());
        return Success;
    }
    Arguments parsed;
    if (const auto error = parseArguments(args, {customers, products, documents, seed}, parsed))
        return badArguments(command, *error);
    QString folder;
    DemoOptions options;
    DemoDocumentOptions docOptions;
    docOptions.documents = 1000;
    if (auto error = folderArgument(parsed, command, folder))
        return badArguments(command, *error);
    if (auto error = numberOption(parsed, customers, 1, 1000000, options.customers))
        return badArguments(command, *error);
    if (auto error = numberOption(parsed, products, 1, 1000000, options.products))
        return badArguments(command, *error);
    if (auto error = numberOption(parsed, documents, 0, 1000000, docOptions.documents))
        return badArguments(command, *error);
    if (auto error = numberOption(parsed, seed, 0, 4294967295LL, options.seed))
        return badArguments(command, *error);
    docOptions.seed = options.seed;
    const bool documentsOnly = parsed.options.contains(documents) && docOptions.documents > 0;

    Database db(QStringLiteral("cli"));
    const bool created = !Database::isDataFolder(folder);
    const bool folderExisted = QDir(folder).exists();
    std::optional<QString> failure;
    bool mastersLoaded = false;
    QElapsedTimer clock;
    clock.start();
    try {
        if (created)
            data::createDataFolder(db, folder);
        else
            db.open(folder);
        // A folder that already holds masters gets only documents, when asked for.
        if (created || !documentsOnly || !hasMasters(db)) {
            fillDemoMasters(db, options);
            mastersLoaded = true;
        }
        if (docOptions.documents >= 20000)
            docOptions.progress = [&](int made) {
                QTextStream(stderr) << "\r" << made << " / " << docOptions.documents << " bizonylat" << Qt::flush;
            };
        fillDemoDocuments(db, docOptions);
        if (docOptions.progress)
            QTextStream(stderr) << '\n';
    } catch (const DemoDataError& e) {
        failure = e.text();
    } catch (const DocumentError& e) {
        failure = e.text();
    } catch (const DbError& e) {
        failure = e.text();
    }
    if (failure) {
        // A data folder made for this run is removed again: a failed run
        // leaves nothing behind.
        db.close();
        if (created) {
            QFile::remove(Database::databaseFile(folder));
            if (!folderExisted)
                QDir().rmdir(folder);
        }
        printError(*failure);
        return Failed;
    }
    if (mastersLoaded)
        print(QStringLiteral("Mintaadatok betöltve: %1 ügyfél, %2 termék, %3 bizonylat (%4), %5 mp.")
                  .arg(options.customers)
                  .arg(options.products)
                  .arg(docOptions.documents)
                  .arg(QDir::toNativeSeparators(folder))
                  .arg(clock.elapsed() / 1000.0, 0, 'f', 1));
    else
        print(QStringLiteral("Mintabizonylatok betöltve: %1 bizonylat (%2), %3 mp.")
                  .arg(docOptions.documents)
                  .arg(QDir::toNativeSeparators(folder))
                  .arg(clock.elapsed() / 1000.0, 0, 'f', 1));
    return Success;
}

} // namespace

int runCommandLine(const QStringList& args) {
    if (args.size() < 2) {
        printError(QStringLiteral("hiányzik a parancs."));
        QTextStream(stderr) << '\n' << programHelp() << '\n';
        return BadArguments;
    }
    const QString command = args.at(1);
    const QStringList rest = args.mid(2);
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        print(programHelp());
        return Success;
    }
    if (command == QLatin1String("init"))
        return cmdInit(rest);
    if (command == QLatin1String("demo-data"))
        return cmdDemoData(rest);
    if (command == QLatin1String("check"))
        return cmdCheck(rest);
    if (command == QLatin1String("import-lines"))
        return runImportLinesCommand(rest);
    if (command == QLatin1String("customers"))
        return runCustomersCommand(rest);
    if (command == QLatin1String("products"))
        return runProductsCommand(rest);
    if (command == QLatin1String("new-document"))
        return runNewDocumentCommand(rest);
    if (command == QLatin1String("counter-document"))
        return runCounterDocumentCommand(rest);
    return badArguments(QString(), QStringLiteral("ismeretlen parancs: %1").arg(command));
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

} // namespace orvix
