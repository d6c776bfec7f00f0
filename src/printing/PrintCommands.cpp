#include "printing/PrintCommands.h"

#include "common/Database.h"
#include "common/IniFile.h"
#include "core/BatchDialogs.h"
#include "core/Mail.h"
#include "core/Settings.h"
#include "core/Startup.h"
#include "invoicing/Documents.h"
#include "printing/InvoicePrint.h"
#include "printing/SendCopy.h"

#include <QCoreApplication>
#include <QDir>

namespace orvix {

using namespace cli;

namespace {

const QString kPrintPdf = QStringLiteral("print-pdf");
const QString kSendCopy = QStringLiteral("send-copy");
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

QString sendCopyHelp() {
    return QStringLiteral(
        "Használat: Orvix_Szamla_Cli send-copy DIR KEY\n"
        "\n"
        "A DIR adatmappa KEY kulcsú könyvelt bizonylatának elektronikus másolatát a PDF\n"
        "nyomtatóval (printernev, printerutv) PDF-be írja, és elküldi a vevő e-mail címére\n"
        "\"Elektronikus számlamásolat küldés\" tárggyal: az Orvix_Szamla.ini [Mail]\n"
        "szakaszában megadott SMTP kiszolgálón át (Host, Port, User, Password, TLS 0/1/2,\n"
        "Sender), ha van ilyen, különben a levelezőprogramnak adja át (xdg-email).\n"
        "Sikeres küldés után a bizonylat elküldöttnek számít (kuldve).\n"
        "\n"
        "Kilépési kód: 0 elküldve, 1 nem ment el (könyveletlen, már elküldött, nincs PDF\n"
        "nyomtató, nincs e-mail cím vagy a küldés hibája), 2 hibás parancssor.");
}

// No paper and no preview on the command line.
class NoPaper : public PrintTarget {
public:
    void preview(const report::Document&) override {}
};

int runSendCopy(const Arguments& args) {
    if (const auto error = positionalArguments(
            args, 2, QStringLiteral("a send-copy parancs egy adatmappát és egy bizonylat gépi kódját várja (DIR KEY).")))
        return badArguments(kSendCopy, *error);
    const std::optional<qint64> key = positiveKey(args.positional.at(1));
    if (!key)
        return badArguments(kSendCopy, QStringLiteral("a bizonylatkulcs pozitív egész szám, nem \"%1\".")
                                           .arg(args.positional.at(1)));
    Database db(QStringLiteral("cli"));
    try {
        db.open(args.positional.at(0));
        PrintSetup setup;
        setup.settings = loadSettings(db);
        const Folders folders = locateFolders(QCoreApplication::applicationDirPath());
        const IniFile ini(folders.iniPath());
        const AppConfig config = readConfig(ini, folders);
        setup.atvet = config.atvet;
        setup.pic1 = config.pic1;
        setup.pic2 = config.pic2;
        setup.workFolder = folders.work;
        const SmtpSettings smtp = readSmtpSettings(ini);
        BatchDialogs dialogs([](const QString& question) { throw DocumentError(question); });
        NoPaper target;
        QString mailError;
        const SendCopyResult r =
            sendElectronicCopy(db, dialogs, setup, target, *key, [&](const MailMessage& m) {
                mailError = handOverMail(smtp, m);
                return mailError.isEmpty();
            });
        if (!r.pdfPath.isEmpty())
            print(QStringLiteral("PDF: %1").arg(QDir::toNativeSeparators(r.pdfPath)));
        if (r.outcome == SendCopyOutcome::Sent) {
            print(QStringLiteral("Elküldve: %1").arg(r.message.recipient));
            return Success;
        }
        if (!mailError.isEmpty())
            printError(mailError);
        return Failed;
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
                                     {{kOut, kLayout}, {}, {kCopy}}, runPrintPdf},
                                    {kSendCopy, QStringLiteral("DIR KEY"),
                                     QStringLiteral("könyvelt bizonylat PDF másolata e-mailben a vevőnek"),
                                     sendCopyHelp(), {}, runSendCopy}};
    return table;
}

int runPrintPdfCommand(const QStringList& args) {
    return runCommand({&printCommands()}, QStringList{kPrintPdf} + args);
}

} // namespace orvix
