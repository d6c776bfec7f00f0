#include "core/SettingsCommands.h"

#include "common/Database.h"
#include "core/SettingsEdit.h"

namespace orvix {

namespace {

using namespace cli;

// Multi-line notes stay on their key=value line: a line break is written
// as \n and a backslash as \\, and read back the same way.
QString escapeSettingText(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\r') && i + 1 < value.size() && value.at(i + 1) == QLatin1Char('\n'))
            continue; // the \n that follows stands for the pair
        else if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            out += QLatin1String("\\n");
        else
            out += c;
    }
    return out;
}

QString unescapeSettingText(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar next = value.at(++i);
            if (next == QLatin1Char('n'))
                out += QLatin1Char('\n'); // as the settings window stores a line break
            else
                out += next;
        } else {
            out += c;
        }
    }
    return out;
}

int runSettings(const Arguments& args) {
    QString folder;
    if (const auto error = folderArgument(args, QStringLiteral("settings"), folder))
        return badArguments(QStringLiteral("settings"), *error);
    SettingValues changes;
    for (const QString& set : args.values(QStringLiteral("--set"))) {
        const int eq = set.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return badArguments(QStringLiteral("settings"),
                                QStringLiteral("a --set értéke KULCS=ÉRTÉK alakú, nem \"%1\"").arg(set));
        changes.append({set.left(eq), unescapeSettingText(set.mid(eq + 1))});
    }
    try {
        Database db(QStringLiteral("cli"));
        db.open(folder);
        if (!changes.isEmpty()) {
            if (const auto error = saveSettings(db, changes)) {
                printError(*error);
                return Failed;
            }
            return Success;
        }
        for (const auto& [key, value] : settingValues(db))
            print(key + QLatin1Char('=') + escapeSettingText(value));
        return Success;
    } catch (const DbError& e) {
        printError(e.text());
        return Failed;
    }
}

} // namespace

const cli::CommandTable& settingsCommands() {
    static const CommandTable table{
        {QStringLiteral("settings"),
         QStringLiteral("DIR [--set KEY=VALUE ...]"),
         QStringLiteral("a beállítások kiírása vagy módosítása"),
         QStringLiteral("Használat: Orvix_Szamla_Cli settings DIR [--set KULCS=ÉRTÉK ...]\n"
                        "\n"
                        "Kulcs nélkül kiírja a DIR adatmappa beállításait kulcs=érték sorokban.\n"
                        "A --set (többször is megadható) a beállítások ablakával azonos\n"
                        "ellenőrzésekkel módosít: a jelzők I vagy N, az ÁFA kulcsok 0 és 100 közöttiek,\n"
                        "a példányszám nem negatív, a mappák létezők. Vagy minden módosítás\n"
                        "megtörténik, vagy egy sem (hibánál 1-es kód). A többsoros szövegekben a\n"
                        "sortörés \\n, a fordított perjel \\\\ alakban szerepel (kiírva és --set-ben is)."),
         {{QStringLiteral("--set")}, {QStringLiteral("--set")}, {}},
         runSettings},
    };
    return table;
}

} // namespace orvix
