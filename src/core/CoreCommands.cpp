#include "core/CoreCommands.h"

#include "common/Database.h"
#include "data/Schema.h"

#include <QDir>

namespace orvix {

namespace {

using namespace cli;

int runInit(const Arguments& args) {
    QString folder;
    if (const auto error = folderArgument(args, QStringLiteral("init"), folder))
        return badArguments(QStringLiteral("init"), *error);
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

int runCheck(const Arguments& args) {
    QString folder;
    if (const auto error = folderArgument(args, QStringLiteral("check"), folder))
        return badArguments(QStringLiteral("check"), *error);
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

} // namespace

const cli::CommandTable& coreCommands() {
    static const CommandTable table{
        {QStringLiteral("init"),
         QStringLiteral("DIR"),
         QStringLiteral("új, üres adatmappa létrehozása"),
         QStringLiteral("Használat: Orvix_Szamla_Cli init DIR\n"
                        "\n"
                        "Új adatmappát hoz létre a DIR mappában (a mappát is létrehozza, ha nincs):\n"
                        "minden táblát, a kezdő sorokat és az irányítószám-táblát.\n"
                        "Ha a mappában már van adatbázis, nem változtat rajta, és 1-es kóddal lép ki."),
         {},
         runInit},
        {QStringLiteral("check"),
         QStringLiteral("DIR"),
         QStringLiteral("az adatmappa épségének ellenőrzése"),
         QStringLiteral("Használat: Orvix_Szamla_Cli check DIR\n"
                        "\n"
                        "Ellenőrzi a DIR adatmappa adatbázisfájljának épségét (indexekkel együtt),\n"
                        "és hogy megvannak-e benne a program táblái.\n"
                        "Kiírja: ok, vagy a talált hibákat; hiba esetén 1-es kóddal lép ki."),
         {},
         runCheck},
    };
    return table;
}

} // namespace orvix
