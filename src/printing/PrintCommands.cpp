#include "printing/PrintCommands.h"

#include "common/Database.h"
#include "common/IniFile.h"
#include "core/Settings.h"
#include "core/Startup.h"
#include "invoicing/Documents.h"
#include "printing/InvoicePrint.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

namespace orvix {

namespace {

const QString kCommand = QStringLiteral("print-pdf");

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

int bad(const QString& text) {
    QTextStream err(stderr);
    err << "Hiba: " << text << '\n' << "Segítség: Orvix_Szamla_Cli " << kCommand << " --help\n";
    return 2;
}

int failed(const QString& text) {
    QTextStream(stderr) << "Hiba: " << text << '\n';
    return 1;
}

} // namespace

int runPrintPdfCommand(const QStringList& args) {
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        QTextStream(stdout) << help() << '\n';
        return 0;
    }
    QStringList positional;
    QString out;
    QString layoutText;
    bool copy = false;
    for (int i = 0; i < args.size(); ++i) {
        QString arg = args.at(i);
        QString value;
        bool hasValue = false;
        if (arg.startsWith(QLatin1String("--")) && arg.contains(QLatin1Char('='))) {
            value = arg.section(QLatin1Char('='), 1);
            arg = arg.section(QLatin1Char('='), 0, 0);
            hasValue = true;
        }
        if (arg == QLatin1String("--copy")) {
            if (hasValue)
                return bad(QStringLiteral("a --copy kapcsoló nem kap értéket."));
            copy = true;
        } else if (arg == QLatin1String("--out") || arg == QLatin1String("--layout")) {
            if (!hasValue) {
                if (i + 1 >= args.size())
                    return bad(QStringLiteral("a(z) %1 kapcsoló után hiányzik az érték.").arg(arg));
                value = args.at(++i);
            }
            (arg == QLatin1String("--out") ? out : layoutText) = value;
        } else if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            return bad(QStringLiteral("ismeretlen kapcsoló: %1").arg(arg));
        } else {
            positional << arg;
        }
    }
    if (positional.size() < 2)
        return bad(QStringLiteral("a print-pdf parancs egy mappát (DIR) és egy bizonylatkulcsot (KEY) vár."));
    if (positional.size() > 2)
        return bad(QStringLiteral("fölösleges argumentum: %1").arg(positional.at(2)));
    bool ok = false;
    const qint64 key = positional.at(1).toLongLong(&ok);
    if (!ok || key <= 0)
        return bad(QStringLiteral("a bizonylatkulcs pozitív egész szám, nem \"%1\".").arg(positional.at(1)));
    if (out.trimmed().isEmpty())
        return bad(QStringLiteral("hiányzik a --out FILE: a PDF fájl neve."));
    std::optional<InvoiceLayout> layout;
    if (layoutText == QLatin1String("1"))
        layout = InvoiceLayout::Design1;
    else if (layoutText == QLatin1String("2"))
        layout = InvoiceLayout::Design2;
    else if (layoutText == QLatin1String("receipt"))
        layout = InvoiceLayout::Receipt;
    else if (!layoutText.isEmpty())
        return bad(QStringLiteral("a --layout értéke 1, 2 vagy receipt lehet, nem \"%1\".").arg(layoutText));

    Database db(QStringLiteral("cli"));
    try {
        db.open(positional.at(0));
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
        const std::vector<report::Document> copies = invoiceCopies(db, setup, key, copy);
        if (copies.empty())
            return failed(QStringLiteral("a beállított példányszám 0: nincs mit kiírni."));
        QString error;
        if (!report::writePdf(copies, out, &error))
            return failed(error);
        int pages = 0;
        for (const report::Document& d : copies)
            pages += d.pageCount();
        QTextStream(stdout) << QDir::toNativeSeparators(out) << ": " << copies.size() << " példány, " << pages
                            << " oldal\n";
        return 0;
    } catch (const DocumentError& e) {
        return failed(e.text());
    } catch (const DbError& e) {
        return failed(e.text());
    }
}

} // namespace orvix
