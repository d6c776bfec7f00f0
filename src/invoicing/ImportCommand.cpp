#include "invoicing/ImportCommand.h"

#include "common/Codepage.h"
#include "common/Database.h"
#include "core/BatchDialogs.h"
#include "invoicing/Documents.h"
#include "invoicing/LineEntry.h"
#include "invoicing/LineImport.h"

#include <QFile>
#include <QTextStream>

namespace orvix {

namespace {

enum ExitCode { Success = 0, Refused = 1, BadArguments = 2 };

void printError(const QString& text) {
    QTextStream(stderr) << "Hiba: " << text << '\n';
}

QString help() {
    return QStringLiteral(
        "Használat: Orvix_Szamla_Cli import-lines DIR KEY FILE [--semicolon] [--qty] [--price]\n"
        "\n"
        "A FILE tételeit a DIR adatmappa KEY gépi kódú bizonylatához fűzi, ahogyan\n"
        "a számla készítés \"Import\" művelete: a cikkszámokat, és ha kérik, mindegyik\n"
        "után a mennyiséget és a nettó egységárat (kedvezmény nélkül). Ismeretlen\n"
        "cikkszámnál vagy hibás számnál megáll; az addig beolvasott tételek megmaradnak.\n"
        "\n"
        "Kapcsolók:\n"
        "  --semicolon   soronként egy tétel, az értékek pontosvesszővel elválasztva\n"
        "                (cikkszám;mennyiség;ár); nélküle minden érték külön sorban\n"
        "  --qty         a cikkszámot mennyiség követi (nélküle a mennyiség 1)\n"
        "  --price       a tételben nettó egységár is van (nélküle az ár 0)\n"
        "\n"
        "A fájl UTF-8 vagy Windows-1250 kódolású szöveg.\n"
        "Kilépési kódok: 0 minden tétel beolvasva, 1 megállt vagy nem végezhető el,\n"
        "2 hibás parancssor.");
}

int badArguments(const QString& text) {
    printError(text);
    QTextStream(stderr) << "Segítség: Orvix_Szamla_Cli import-lines --help\n";
    return BadArguments;
}

} // namespace

int runImportLinesCommand(const QStringList& args) {
    QStringList positional;
    ImportOptions options;
    options.quantity = false;
    options.price = false;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            QTextStream(stdout) << help() << '\n';
            return Success;
        }
        if (arg == QLatin1String("--semicolon"))
            options.semicolon = true;
        else if (arg == QLatin1String("--qty"))
            options.quantity = true;
        else if (arg == QLatin1String("--price"))
            options.price = true;
        else if (arg.startsWith(QLatin1String("--")))
            return badArguments(QStringLiteral("ismeretlen kapcsoló: %1").arg(arg));
        else
            positional << arg;
    }
    if (positional.size() < 3)
        return badArguments(
            QStringLiteral("az import-lines parancs egy adatmappát, egy bizonylat gépi kódját és "
                           "egy fájlt vár (DIR KEY FILE)."));
    if (positional.size() > 3)
        return badArguments(QStringLiteral("fölösleges argumentum: %1").arg(positional.at(3)));
    bool ok = false;
    const qint64 key = positional.at(1).trimmed().toLongLong(&ok);
    if (!ok || key <= 0)
        return badArguments(
            QStringLiteral("a bizonylat gépi kódja pozitív egész szám, nem \"%1\".").arg(positional.at(1)));

    if (positional.at(2).trimmed().isEmpty())
        return badArguments(QStringLiteral("a fájl neve üres."));
    QFile file(positional.at(2));
    if (!file.open(QIODevice::ReadOnly)) {
        printError(QStringLiteral("A fájl nem olvasható: %1 (%2)").arg(positional.at(2), file.errorString()));
        return Refused;
    }
    const QString text = decodeUtf8OrCp1250(file.readAll());
    file.close();

    Database db(QStringLiteral("cli-import-lines"));
    try {
        db.open(positional.at(0));
        const LineDocument doc = LineDocument::load(db, key);
        // Messages go to the error output; the import asks nothing.
        BatchDialogs dialogs([](const QString& question) {
            throw DocumentError(QStringLiteral("A parancssor nem tud kérdésre válaszolni: %1").arg(question));
        });
        const ImportResult result = ImportLines(db, dialogs, doc, text, options);
        QTextStream(stdout)
            << QStringLiteral("%1 tétel hozzáadva a(z) %2 bizonylathoz.").arg(result.added).arg(key) << '\n';
        return result.stopped ? Refused : Success;
    } catch (const DocumentError& e) {
        printError(e.text());
    } catch (const DbError& e) {
        printError(e.text());
    }
    return Refused;
}

} // namespace orvix
