#include "core/SettingsCommands.h"

#include "common/Database.h"
#include "core/SettingsEdit.h"

namespace orvix {

namespace {

using namespace cli;

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
        changes.append({set.left(eq), set.mid(eq + 1)});
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
            print(key + QLatin1Char('=') + value);
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
                        "megtörténik, vagy egy sem (hibánál 1-es kód)."),
         {{QStringLiteral("--set")}, {QStringLiteral("--set")}, {}},
         runSettings},
    };
    return table;
}

} // namespace orvix
