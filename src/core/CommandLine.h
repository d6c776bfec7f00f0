// The command-line companion: batch work over the same logic as the program.
//
// Each subsystem declares its own commands in a table next to its logic
// (name, arguments, one-line summary, --help text, options and the function
// that runs it); the command-line program hands the subsystems' tables to
// runCommandLine, which prints the overall help from them and runs the named
// command. What every command shares lives here: one option parser, --help,
// the folder and number arguments, the messages and the exit codes.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace orvix::cli {

inline const QString kProgram = QStringLiteral("Orvix_Szamla_Cli");

// Exit codes of every command.
enum ExitCode {
    Success = 0,
    Failed = 1,       // the action did not happen: nothing was written
    BadArguments = 2, // a bad command line: nothing was done
    Stopped = 3       // stopped part-way: what came before the stop was kept
};

// The options a command knows besides its positional arguments.
struct Options {
    QStringList values;     // "--name VALUE" or "--name=VALUE"
    QStringList repeatable; // those of values that may be given more than once
    QStringList switches;   // "--name" alone
};

// A command's arguments as parsed.
struct Arguments {
    QStringList positional;
    QMap<QString, QStringList> options; // every value given, in order
    QStringList switches;               // the switches given

    bool has(const QString& name) const { return options.contains(name) || switches.contains(name); }
    QString value(const QString& name) const { return options.value(name).value(0); }
    QStringList values(const QString& name) const { return options.value(name); }
};

struct Command {
    QString name;      // the command word: "new-document"
    QString arguments; // its arguments in the overall help: "DIR KEY FILE"
    QString summary;   // one line of the overall help
    QString help;      // the text of "COMMAND --help"
    Options options;
    // Runs the command on its parsed arguments; returns the exit code.
    std::function<int(const Arguments&)> run;
};
using CommandTable = std::vector<Command>;

// --help (or -h) anywhere among the arguments wins over every other argument.
bool wantsHelp(const QStringList& args);

// Splits the arguments of a command. A lone "-" is positional. Returns the
// Hungarian error text on a bad command line.
std::optional<QString> parseArguments(const QStringList& args, const Options& known, Arguments& parsed);

// The one folder argument of a command that takes nothing else positional.
std::optional<QString> folderArgument(const Arguments& parsed, const QString& command, QString& folder);

// Exactly count positional arguments; missing names what the command expects
// ("egy adatmappát és egy bizonylat gépi kódját várja (DIR KEY)").
std::optional<QString> positionalArguments(const Arguments& parsed, int count, const QString& missing);

// A whole number option within [low, high]; absent leaves value unchanged.
std::optional<QString> numberOption(const Arguments& parsed, const QString& name, qint64 low, qint64 high,
                                    qint64& value);
template <typename T>
std::optional<QString> numberOption(const Arguments& parsed, const QString& name, qint64 low, qint64 high,
                                    T& value) {
    qint64 number = qint64(value);
    const std::optional<QString> error = numberOption(parsed, name, low, high, number);
    if (!error)
        value = T(number);
    return error;
}

// A positive whole number (a key): empty when the text is not one.
std::optional<qint64> positiveKey(const QString& text);

// A line to standard output.
void print(const QString& text);
// "Hiba: text" to the error output.
void printError(const QString& text);
// "Figyelmeztetés: text" to the error output.
void printWarning(const QString& text);
// A bad command line: the message, a pointer to the command's help, exit code 2.
int badArguments(const QString& command, const QString& text);

// The overall help, listing the commands of the tables in order.
QString programHelp(const std::vector<const CommandTable*>& tables);

// Runs the command named args[0] with the rest of args: its help when asked
// for, otherwise its run function on the parsed arguments.
int runCommand(const std::vector<const CommandTable*>& tables, const QStringList& args);

// The whole program: args[0] is the program's name, args[1] the command.
// Prints to stdout/stderr; returns the exit code.
int runCommandLine(const std::vector<const CommandTable*>& tables, const QStringList& args);

// Qt's own diagnostics ("QFSFileEngine::open: …") stay off the terminal of a
// script: every message the user is meant to read is printed by the commands
// in Hungarian. ORVIX_QT_MESSAGES=1 lets them through for developers.
void silenceQtMessages();

// The exit code the program ends with, given the command's own: once the
// engine reported a damaged data folder, no command ends with success (a
// list may have missed rows it could not read), and the damage is told
// unless an error message has told it already.
int endCommandLine(int exitCode);

} // namespace orvix::cli
