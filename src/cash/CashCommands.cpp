#include "cash/CashCommands.h"

#include "cash/CashBook.h"
#include "common/Database.h"
#include "core/TextUtil.h"

namespace orvix {

namespace {

using namespace cli;

const QString kCashBook = QStringLiteral("cash-book");
const QString kDesk = QStringLiteral("--desk");
const QString kFrom = QStringLiteral("--from");
const QString kTo = QStringLiteral("--to");

QString cashBookHelp() {
    return QStringLiteral(
        "Használat: Orvix_Szamla_Cli cash-book DIR --desk N --from DATE --to DATE\n"
        "\n"
        "Kiírja a DIR adatmappa N számú kasszájának a két dátum közötti (mindkettőt\n"
        "beleértve) pénztári tételeit pontosvesszővel tagolva, rögzítési sorrendben, egy\n"
        "fejléc-sor után: bizonylatszám, dátum, típus, bizonylat száma, bizonylat fajtája,\n"
        "összeg, záró egyenleg, ügyfél, megjegyzés. Kézi tételnél az összeg előjeles,\n"
        "bizonylatból készült tételnél előjel nélküli (az irányt a típus adja).\n"
        "A dátum alakja 2026-12-10 vagy 2026.12.10.\n"
        "\n"
        "Kilépési kódok: 0 siker, 1 az adatmappa nem olvasható, 2 hibás parancssor.");
}

int runCashBook(const Arguments& parsed) {
    const QString& command = kCashBook;
    QString folder;
    if (const auto error = folderArgument(parsed, command, folder))
        return badArguments(command, *error);
    qint64 desk = -1;
    if (!parsed.has(kDesk))
        return badArguments(command, QStringLiteral("hiányzik a kassza száma (--desk N)."));
    if (const auto error = numberOption(parsed, kDesk, 0, 2147483647, desk))
        return badArguments(command, *error);
    QDate dates[2];
    const QString names[2] = {kFrom, kTo};
    for (int i = 0; i < 2; ++i) {
        if (!parsed.has(names[i]))
            return badArguments(command, QStringLiteral("hiányzik a(z) %1 dátum.").arg(names[i]));
        dates[i] = parseDate(parsed.value(names[i]).trimmed());
        if (!dates[i].isValid())
            return badArguments(command, QStringLiteral("érvénytelen dátum: \"%1\" (2026-12-10 vagy 2026.12.10).")
                                             .arg(parsed.value(names[i])));
    }
    if (dates[0] > dates[1])
        return badArguments(command, QStringLiteral("a --from dátum nem lehet későbbi a --to dátumnál."));
    Database db(QStringLiteral("cli-cash-book"));
    try {
        db.open(folder);
        if (db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cassak WHERE cassak=?;"), 0, {desk}) == 0 &&
            db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa WHERE cassak=?;"), 0, {desk}) == 0) {
            printError(QStringLiteral("Nem létező kassza: %1").arg(desk));
            return Failed;
        }
        for (const QString& line : CashBookLines(CashBookRows(db, desk, dates[0], dates[1])))
            print(line);
        return Success;
    } catch (const DbError& e) {
        printError(e.text());
    }
    return Failed;
}

} // namespace

const cli::CommandTable& cashCommands() {
    static const CommandTable table{
        {kCashBook,
         QStringLiteral("DIR --desk N --from DATE --to DATE"),
         QStringLiteral("pénztárkönyv egy kasszára és időszakra"),
         cashBookHelp(),
         {{kDesk, kFrom, kTo}, {}, {}},
         runCashBook},
    };
    return table;
}

} // namespace orvix
