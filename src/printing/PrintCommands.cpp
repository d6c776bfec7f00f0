#include "printing/PrintCommands.h"

#include "common/Database.h"
#include "common/IniFile.h"
#include "core/Settings.h"
#include "core/Startup.h"
#include "invoicing/Documents.h"
#include "printing/InvoicePrint.h"

#include <QCoreApplication>
#include <QDir>

namespace orvix {

using namespace cli;

namespace {

const QString kPrintPdf = QStringLiteral("print-pdf");
const QString kOut = QStringLiteral("--out");
const QString kLayout = QStringLiteral("--layout");
const QString kCopy = QStringLiteral("--copy");

QString help() {
    return QStringLiteral(
        "Használat: Orvix_Szamla_Cli print-pdf DIR KEY --out FILE [--copy] [--layout 1|2|receipt]\n"
        "\n"
        "A DIR adatmappa KEY kulcsú bizonylatát PDF fájlba írja (FILE) a nyomtatási\n"
        "képpel azonos tartalommal; könyveletlen bizonylatot is, a jelzésével.\n"
        "A nyomtatási számláló nem változik.\n"
        "\n"
        "Kapcsolók:\n"
        "  --out FILE      a PDF fájl neve (kötelező)\n"
        "  --copy          a \"Nyomtat\" által nyomtatott példányok mind (első nyomtatáskor\n"
        "                  a beállított példányszám, utána egy)\n"
        "  --layout L      a nyomtatási forma erre a futásra: 1 (1. minta), 2 (2. minta),\n"
        "                  receipt (blokknyomtató); alapértelmezés: a beállítás");
}

int failed(const QString& text) {
    printError(text);
    return Failed;
}

int runPrintPdf(const Arguments& args) {
    if (const auto error = positionalArguments(
            args, 2, QStringLiteral("a print-pdf parancs egy adatmappát és egy bizonylat gépi kódját várja (DIR KEY).")))
        return badArguments(kPrintPdf, *error);
    const std::optional<qint64> key = positiveKey(args.positional.at(1));
    if (!key)
        return badArguments(kPrintPdf, QStringLiteral("a bizonylatkulcs pozitív egész szám, nem \"%1\".")
                                           .arg(args.positional.at(1)));
    const QString out = args.value(kOut);
    if (out.trimmed().isEmpty())
        return badArguments(kPrintPdf, QStringLiteral("hiányzik a --out FILE: a PDF fájl neve."));
    const QString layoutText = args.value(kLayout);
    std::optional<InvoiceLayout> layout;
    if (layoutText == QLatin1String("1"))
        layout = InvoiceLayout::Design1;
    else if (layoutText == QLatin1String("2"))
        layout = InvoiceLayout::Design2;
    else if (layoutText == QLatin1String("receipt"))
        layout = InvoiceLayout::Receipt;
    else if (args.has(kLayout))
        return badArguments(kPrintPdf,
                            QStringLiteral("a --layout értéke 1, 2 vagy receipt lehet, nem \"%1\".").arg(layoutText));

    Database db(QStringLiteral("cli"));
    try {
        db.open(args.positional.at(0));
        PrintSetup setup;
        setup.settings = loadSettings(db);
        // The ini values and the language files of this installation.
        const Folders folders = locateFolders(QCoreApplication::applicationDirPath());
        const AppConfig config = readConfig(IniFile(folders.iniPath()), folders);
        setup.atvet = config.atvet;
        setup.pic1 = config.pic1;
        setup.pic2 = config.pic2;
        setup.workFolder = folders.work;
        setup.layout = layout;
        const std::vector<report::Document> copies = invoiceCopies(db, setup, *key, args.has(kCopy));
        if (copies.empty())
            return failed(QStringLiteral("a beállított példányszám 0: nincs mit kiírni."));
        QString error;
        if (!report::writePdf(copies, out, &error))
            return failed(error);
        int pages = 0;
        for (const report::Document& d : copies)
            pages += d.pageCount();
        print(QStringLiteral("%1: %2 példány, %3 oldal")
                  .arg(QDir::toNativeSeparators(out))
                  .arg(copies.size())
                  .arg(pages));
        return Success;
    } catch (const DocumentError& e) {
        return failed(e.text());
    } catch (const DbError& e) {
        return failed(e.text());
    }
}

} // namespace

const CommandTable& printCommands() {
    static const CommandTable table{{kPrintPdf, QStringLiteral("DIR KEY --out FILE"),
                                     QStringLiteral("bizonylat PDF fájlba (mint a nyomtatási kép)"), help(),
                                     {{kOut, kLayout}, {}, {kCopy}}, runPrintPdf}};
    return table;
}

int runPrintPdfCommand(const QStringList& args) {
    return runCommand({&printCommands()}, QStringList{kPrintPdf} + args);
}

} // namespace orvix
