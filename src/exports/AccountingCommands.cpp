#include "exports/AccountingCommands.h"

#include "common/Database.h"
#include "core/BatchDialogs.h"
#include "exports/AccountingHandOver.h"

#include <QDir>

namespace orvix {

using namespace cli;

namespace {

const QString kForint = QStringLiteral("export-forintsoft");
const QString kKSzlaKetCommand = QStringLiteral("export-kszlaket");
const QString kFolder = QStringLiteral("--folder");

// The command itself is the consent to empty the tables: the question of
// the window is answered yes.
class ConsentingDialogs : public BatchDialogs {
public:
    ConsentingDialogs() : BatchDialogs([](const QString& q) { throw HandOverError(q); }) {}
    bool question(const QString&, const QString&) override { return true; }
};

QString help(const QString& command, const QString& tables, const QString& what) {
    return QStringLiteral(
               "Használat: Orvix_Szamla_Cli %1 DIR --folder F\n"
               "\n"
               "%3 a DIR adatmappából az F mappában lévő %2\n"
               "táblá(k)ba; a táblák korábbi tartalma törlődik. A kiírt sorok átadottnak\n"
               "számítanak, a következő futás nem adja át őket újra. Az e-mailben elküldött\n"
               "bizonylatok is átadásra kerülnek. A táblákat a könyvelőprogram adja, mezőik\n"
               "szélességét tőlük veszi a program.\n"
               "\n"
               "Kilépési kód: 0 minden át nem adott bizonylat átadva; 1 semmi sem íródott ki,\n"
               "vagy bizonylat maradt ki, mert hiányzik a vevője vagy fizetési módja (a lista\n"
               "a hibakimeneten, a többi átadva); 2 hibás parancssor.")
        .arg(command, tables, what);
}

int run(const Arguments& args, const QString& command, bool forint) {
    QString folder;
    if (const auto error = folderArgument(args, command, folder))
        return badArguments(command, *error);
    const QString target = args.value(kFolder);
    if (target.trimmed().isEmpty())
        return badArguments(command, QStringLiteral("hiányzik a --folder F: a könyvelőprogram export mappája."));
    Database db(QStringLiteral("cli"));
    try {
        db.open(folder);
        ConsentingDialogs dialogs;
        HandOverResult result;
        if (forint) {
            result = exportForintSoft(db, dialogs, target);
        } else {
            recomputeOpenDocumentBands(db);
            result = exportKSzlaKet(db, dialogs, target);
        }
        print(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(target), handOverSummary(result, forint).section(QLatin1Char('\n'), 0, 0)));
        for (const QString& note : result.notes)
            print(note);
        if (!result.skipped.isEmpty()) {
            printError(skippedMessage(result));
            return Failed;
        }
        return Success;
    } catch (const HandOverError& e) {
        printError(e.text());
        return Failed;
    } catch (const DbError& e) {
        printError(e.text());
        return Failed;
    }
}

} // namespace

const CommandTable& accountingCommands() {
    static const CommandTable table{
        {kForint, QStringLiteral("DIR --folder F"), QStringLiteral("átadás a ForintSoft könyvelőprogramnak"),
         help(kForint, QStringLiteral("FELVEVO.dbf és FELKISZ.dbf"),
              QStringLiteral("Az át nem adott vevők és bizonylatok kiírása")),
         {{kFolder}, {}, {}}, [](const Arguments& a) { return run(a, kForint, true); }},
        {kKSzlaKetCommand, QStringLiteral("DIR --folder F"), QStringLiteral("átadás a KSZLAKET.dbf táblába"),
         help(kKSzlaKetCommand, QStringLiteral("KSZLAKET.dbf"),
              QStringLiteral("Az át nem adott bizonylatok kiírása áfa-kulcsonként")),
         {{kFolder}, {}, {}}, [](const Arguments& a) { return run(a, kKSzlaKetCommand, false); }}};
    return table;
}

} // namespace orvix
