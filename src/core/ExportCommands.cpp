#include "core/ExportCommands.h"

#include "common/Database.h"
#include "core/DelimitedExport.h"

#include <QDir>

namespace orvix {

using namespace cli;

namespace {

const QString kExport = QStringLiteral("export");
const QString kQuery = QStringLiteral("--query");
const QString kOut = QStringLiteral("--out");
const QString kDelimiter = QStringLiteral("--delimiter");
const QString kQualifier = QStringLiteral("--qualifier");
const QString kMemo = QStringLiteral("--memo");

QString help() {
    return QStringLiteral(
        "Használat: Orvix_Szamla_Cli export DIR --query \"SELECT …\" --out FILE\n"
        "                                   [--delimiter ;|tab|,|pipe] [--qualifier none|double|single]\n"
        "                                   [--memo blob|pipe|text]\n"
        "\n"
        "A DIR adatmappán futtatott lekérdezés sorait határolt szöveges fájlba írja\n"
        "(UTF-8, CR LF sorvégek, első sorban a mezőnevek, minden érték után határoló).\n"
        "A .xls vagy .xlsx végű FILE Excel munkafüzet lesz (.xlsx kiterjesztéssel).\n"
        "Csak lekérdezés (SELECT) adható meg; az adatmappa nem változik.\n"
        "\n"
        "Kapcsolók:\n"
        "  --query SQL       a lekérdezés (kötelező)\n"
        "  --out FILE        a kiírt fájl (kötelező)\n"
        "  --delimiter D     határoló: ; (alapértelmezés), tab, , vagy pipe\n"
        "  --qualifier Q     szövegjelölő: none (alapértelmezés), double (\") vagy single (')\n"
        "  --memo M          a többsoros (MEMO) mezők: blob (alapértelmezés, ahogy az export\n"
        "                    ablak: a \"BLOB\" szó áll a helyükön), pipe (a sorok | jellel egy\n"
        "                    sorba fűzve, a határoló vesszőre cserélve) vagy text (a teljes\n"
        "                    szöveg, sortörésekkel, idézőjelek között). A bináris (BLOB)\n"
        "                    mezők helyén mindig \"BLOB\" áll.");
}

int runExport(const Arguments& args) {
    QString folder;
    if (const auto error = folderArgument(args, kExport, folder))
        return badArguments(kExport, *error);
    const QString query = args.value(kQuery);
    if (query.trimmed().isEmpty())
        return badArguments(kExport, QStringLiteral("hiányzik a --query \"SELECT …\": a lekérdezés."));
    const QString out = args.value(kOut);
    if (out.trimmed().isEmpty())
        return badArguments(kExport, QStringLiteral("hiányzik a --out FILE: a kiírt fájl neve."));
    ExportOptions options;
    options.fieldNames = true;
    const QString d = args.has(kDelimiter) ? args.value(kDelimiter) : QStringLiteral(";");
    if (d == QLatin1String(";") || d == QLatin1String("semicolon"))
        options.delimiter = Delimiter::Semicolon;
    else if (d == QLatin1String("tab"))
        options.delimiter = Delimiter::Tab;
    else if (d == QLatin1String(",") || d == QLatin1String("comma"))
        options.delimiter = Delimiter::Comma;
    else if (d == QLatin1String("pipe") || d == QLatin1String("|"))
        options.delimiter = Delimiter::Pipe;
    else
        return badArguments(kExport, QStringLiteral("a --delimiter értéke ;, tab, , vagy pipe lehet, nem \"%1\".").arg(d));
    const QString q = args.has(kQualifier) ? args.value(kQualifier) : QStringLiteral("none");
    if (q == QLatin1String("none"))
        options.qualifier = Qualifier::None;
    else if (q == QLatin1String("double"))
        options.qualifier = Qualifier::DoubleQuote;
    else if (q == QLatin1String("single"))
        options.qualifier = Qualifier::Apostrophe;
    else
        return badArguments(kExport,
                            QStringLiteral("a --qualifier értéke none, double vagy single lehet, nem \"%1\".").arg(q));
    const QString m = args.has(kMemo) ? args.value(kMemo) : QStringLiteral("blob");
    if (m == QLatin1String("pipe"))
        options.multiLine = true;
    else if (m == QLatin1String("text"))
        options.memoText = true;
    else if (m != QLatin1String("blob"))
        return badArguments(kExport, QStringLiteral("a --memo értéke blob, pipe vagy text lehet, nem \"%1\".").arg(m));

    Database db(QStringLiteral("cli"));
    try {
        db.open(folder);
        const std::unique_ptr<ExportRows> rows = queryRows(db, query);
        const ExportResult r = exportRows(*rows, out, options);
        print(QStringLiteral("%1: %2 sor").arg(QDir::toNativeSeparators(r.path)).arg(r.rows));
        if (r.cutTexts > 0)
            printError(QStringLiteral("%1 cella szövege 32 767 karakterre rövidült (egy munkafüzet-cellába ennyi fér).")
                           .arg(r.cutTexts));
        return Success;
    } catch (const ExportError& e) {
        printError(e.text());
        return Failed;
    } catch (const DbError& e) {
        printError(e.text());
        return Failed;
    }
}

} // namespace

const CommandTable& exportCommands() {
    static const CommandTable table{{kExport, QStringLiteral("DIR --query SQL --out FILE"),
                                     QStringLiteral("lekérdezés határolt szöveges fájlba vagy Excel munkafüzetbe"),
                                     help(),
                                     {{kQuery, kOut, kDelimiter, kQualifier, kMemo}, {}, {}},
                                     runExport}};
    return table;
}

} // namespace orvix
