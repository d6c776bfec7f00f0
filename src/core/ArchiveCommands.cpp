#include "core/ArchiveCommands.h"

#include "common/Database.h"
#include "core/Archive.h"

#include <QDate>
#include <QDir>

namespace orvix {

namespace {

using namespace cli;

int runArchive(const Arguments& args) {
    QString folder;
    if (const auto error = folderArgument(args, QStringLiteral("archive"), folder))
        return badArguments(QStringLiteral("archive"), *error);
    QString out = args.value(QStringLiteral("--out"));
    if (out.isEmpty())
        out = offeredArchiveFile(QDir::currentPath(), QDate::currentDate());
    if (!Database::isDataFolder(folder)) {
        printError(QStringLiteral("Nem adatmappa: %1").arg(QDir::toNativeSeparators(folder)));
        return Failed;
    }
    if (const auto error = archiveDataFolder(folder, out)) {
        printError(QStringLiteral("Hiba az archiválás közben\n%1").arg(*error));
        return Failed;
    }
    print(QStringLiteral("Archív állomány kész: %1").arg(QDir::toNativeSeparators(out)));
    return Success;
}

int runRestore(const Arguments& args) {
    if (const auto error =
            positionalArguments(args, 2, QStringLiteral("egy archívumot és egy új mappát várja (FILE NEW_DIR)")))
        return badArguments(QStringLiteral("restore"), *error);
    const QString file = args.positional.at(0);
    const QString folder = args.positional.at(1);
    if (const auto error = restoreArchive(file, folder)) {
        printError(*error);
        return Failed;
    }
    print(QStringLiteral("Adatmappa visszaállítva: %1").arg(QDir::toNativeSeparators(folder)));
    return Success;
}

} // namespace

const cli::CommandTable& archiveCommands() {
    static const CommandTable table{
        {QStringLiteral("archive"),
         QStringLiteral("DIR [--out FILE]"),
         QStringLiteral("az adatmappa mentése egy ZIP archívumba"),
         QStringLiteral("Használat: Orvix_Szamla_Cli archive DIR [--out FILE]\n"
                        "\n"
                        "A DIR adatmappa minden fájlját egy ZIP archívumba menti (alapértelmezés:\n"
                        "a mai nap szerinti ééééhhnn.zip az aktuális mappában). Az adatbázisról\n"
                        "egységes pillanatkép kerül az archívumba akkor is, ha más gépek közben írnak.\n"
                        "Az archívum csak elkészülte után kerül a helyére; hiba esetén 1-es kód."),
         {{QStringLiteral("--out")}, {}, {}},
         runArchive},
        {QStringLiteral("restore"),
         QStringLiteral("FILE NEW_DIR"),
         QStringLiteral("archívum visszaállítása új, üres mappába"),
         QStringLiteral("Használat: Orvix_Szamla_Cli restore FILE NEW_DIR\n"
                        "\n"
                        "A FILE archívumot a NEW_DIR mappába bontja ki, amely nem létezhet, vagy üres.\n"
                        "Előbb ellenőrzi minden bejegyzés ellenőrzőösszegét és az adatbázis épségét;\n"
                        "hiba esetén semmit nem ír, és 1-es kóddal lép ki. Létező adatmappát nem ír felül."),
         {},
         runRestore},
    };
    return table;
}

} // namespace orvix
