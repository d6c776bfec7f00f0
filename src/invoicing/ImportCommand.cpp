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

using namespace cli;

const QString kCommand = QStringLiteral("import-lines");

QString help() {
    return QStringLiteral(
        "Használat: Orvix_Szamla_Cli import-lines DIR KEY FILE [--semicolon] [--qty] [--price]\n"
        "\n"
        "A FILE tételeit a DIR adatmappa KEY gépi kódú bizonylatához fűzi, ahogyan\n"
        "a számla készítés \"Import\" művelete: a cikkszámokat, és ha kérik, mindegyik\n"
        "után a mennyiséget és a nettó egységárat (kedvezmény nélkül). Ismeretlen\n"
        "cikkszámnál, hibás számnál vagy a bizonylat által nem tárolható összegnél\n"
        "megáll; az addig beolvasott tételek megmaradnak.\n"
        "\n"
        "Kapcsolók:\n"
        "  --semicolon   soronként egy tétel, az értékek pontosvesszővel elválasztva\n"
        "                (cikkszám;mennyiség;ár); nélküle minden érték külön sorban\n"
        "  --qty         a cikkszámot mennyiség követi (nélküle a mennyiség 1)\n"
        "  --price       a tételben nettó egységár is van (nélküle az ár 0)\n"
        "\n"
        "A fájl UTF-8 vagy Windows-1250 kódolású szöveg.\n"
        "Kilépési kódok: 0 minden tétel beolvasva, 1 nem végezhető el (semmi nem íródott),\n"
        "2 hibás parancssor, 3 menet közben megállt (az addig beolvasott tételek\n"
        "megmaradtak; újrapróbálás előtt a fájlból csak a hátralévő tételeket adja meg).");
}

int runImportLines(const Arguments& args) {
    if (const auto error = positionalArguments(
            args, 3,
            QStringLiteral(
                "az import-lines parancs egy adatmappát, egy bizonylat gépi kódját és egy fájlt vár "
                "(DIR KEY FILE).")))
        return badArguments(kCommand, *error);
    const QStringList& positional = args.positional;
    ImportOptions options;
    options.semicolon = args.has(QStringLiteral("--semicolon"));
    options.quantity = args.has(QStringLiteral("--qty"));
    options.price = args.has(QStringLiteral("--price"));
    const std::optional<qint64> key = positiveKey(positional.at(1));
    if (!key)
        return badArguments(
            kCommand,
            QStringLiteral("a bizonylat gépi kódja pozitív egész szám, nem \"%1\".").arg(positional.at(1)));

    if (positional.at(2).trimmed().isEmpty())
        return badArguments(kCommand, QStringLiteral("a fájl neve üres."));
    QFile file(positional.at(2));
    if (!file.open(QIODevice::ReadOnly)) {
        printError(QStringLiteral("A fájl nem olvasható: %1 (%2)").arg(positional.at(2), file.errorString()));
        return Failed;
    }
    const QString text = decodeUtf8OrCp1250(file.readAll());
    file.close();

    Database db(QStringLiteral("cli-import-lines"));
    try {
        db.open(positional.at(0));
        const LineDocument doc = LineDocument::load(db, *key);
        // Messages go to the error output; the import asks nothing.
        BatchDialogs dialogs([](const QString& question) {
            throw DocumentError(QStringLiteral("A parancssor nem tud kérdésre válaszolni: %1").arg(question));
        });
        const ImportResult result = ImportLines(db, dialogs, doc, text, options);
        QTextStream(stdout)
            << QStringLiteral("%1 tétel hozzáadva a(z) %2 bizonylathoz.").arg(result.added).arg(*key) << '\n';
        // Lines added before a stop stay: stopped part-way.
        if (result.stoppedPartWay())
            return Stopped;
        return result.stopped ? Failed : Success;
    } catch (const DocumentError& e) {
        printError(e.text());
    } catch (const DbError& e) {
        printError(e.text());
    }
    return Failed;
}

} // namespace

cli::Command importLinesCommand() {
    return {kCommand,
            QStringLiteral("DIR KEY FILE"),
            QStringLiteral("tételek importja bizonylatba"),
            help(),
            {{}, {}, {QStringLiteral("--semicolon"), QStringLiteral("--qty"), QStringLiteral("--price")}},
            runImportLines};
}

} // namespace orvix
