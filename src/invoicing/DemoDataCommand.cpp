#include "invoicing/DemoDataCommand.h"

#include "common/Database.h"
#include "data/Schema.h"
#include "invoicing/DemoDocuments.h"
#include "invoicing/Documents.h"
#include "masters/DemoMasters.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

namespace orvix {

namespace {

using namespace cli;

const QString kCommand = QStringLiteral("demo-data");
const QString kCustomers = QStringLiteral("--customers");
const QString kProducts = QStringLiteral("--products");
const QString kDocuments = QStringLiteral("--documents");
const QString kSeed = QStringLiteral("--seed");

QString help() {
    return QStringLiteral("Használat: Orvix_Szamla_Cli demo-data DIR [--customers N] [--products N] "
                          "[--documents N] [--seed S]\n"
                          "\n"
                          "Mintaadatokkal tölti fel a DIR adatmappát: kibocsátó, ügyfelek, termékek,\n"
                          "termékkategóriák, származási helyek, mértékegységek és bizonylatok (számlák,\n"
                          "helyesbítő számlák, sztornózott számlák érvénytelenítő okirattal, proformák)\n"
                          "több évre elosztva. Ha DIR-ben még nincs adatmappa, előbb létrehozza. Meglévő\n"
                          "adatmappát csak akkor tölt fel, ha abban még nincs ügyfél és termék; ha már\n"
                          "vannak, de bizonylat még nincs, a --documents kapcsolóval csak bizonylatokat\n"
                          "tölt be. Különben nem változtat rajta, és 1-es kóddal lép ki.\n"
                          "\n"
                          "Kapcsolók:\n"
                          "  --documents N   a bizonylatok száma (0 … 1000000, alapértelmezés: 1000)\n"
                          "  --customers N   az ügyfelek száma (1 … 1000000, alapértelmezés: 300)\n"
                          "  --products N    a termékek száma (1 … 1000000, alapértelmezés: 300)\n"
                          "  --seed S        a véletlen adatok magja (0 … 4294967295, alapértelmezés: 1);\n"
                          "                  ugyanaz a mag mindig ugyanazokat az adatokat adja");
}

int runDemoData(const Arguments& parsed) {
    QString folder;
    DemoOptions options;
    DemoDocumentOptions docOptions;
    docOptions.documents = 1000;
    if (auto error = folderArgument(parsed, kCommand, folder))
        return badArguments(kCommand, *error);
    if (auto error = numberOption(parsed, kCustomers, 1, 1000000, options.customers))
        return badArguments(kCommand, *error);
    if (auto error = numberOption(parsed, kProducts, 1, 1000000, options.products))
        return badArguments(kCommand, *error);
    if (auto error = numberOption(parsed, kDocuments, 0, 1000000, docOptions.documents))
        return badArguments(kCommand, *error);
    if (auto error = numberOption(parsed, kSeed, 0, 4294967295LL, options.seed))
        return badArguments(kCommand, *error);
    docOptions.seed = options.seed;
    const bool documentsOnly = parsed.has(kDocuments) && docOptions.documents > 0;

    Database db(QStringLiteral("cli"));
    const bool created = !Database::isDataFolder(folder);
    const bool folderExisted = QDir(folder).exists();
    std::optional<QString> failure;
    bool mastersLoaded = false;
    QElapsedTimer clock;
    clock.start();
    try {
        if (created)
            data::createDataFolder(db, folder);
        else
            db.open(folder);
        // A folder that already holds masters gets only documents, when asked for.
        if (created || !documentsOnly || !hasMasters(db)) {
            fillDemoMasters(db, options);
            mastersLoaded = true;
        }
        if (docOptions.documents >= 20000)
            docOptions.progress = [&](int made) {
                QTextStream(stderr) << "\r" << made << " / " << docOptions.documents << " bizonylat"
                                    << Qt::flush;
            };
        fillDemoDocuments(db, docOptions);
        if (docOptions.progress)
            QTextStream(stderr) << '\n';
    } catch (const DemoDataError& e) {
        failure = e.text();
    } catch (const DocumentError& e) {
        failure = e.text();
    } catch (const DbError& e) {
        failure = e.text();
    }
    if (failure) {
        // A data folder made for this run is removed again: a failed run
        // leaves nothing behind.
        db.close();
        if (created) {
            QFile::remove(Database::databaseFile(folder));
            if (!folderExisted)
                QDir().rmdir(folder);
        }
        printError(*failure);
        return Failed;
    }
    if (mastersLoaded)
        print(QStringLiteral("Mintaadatok betöltve: %1 ügyfél, %2 termék, %3 bizonylat (%4), %5 mp.")
                  .arg(options.customers)
                  .arg(options.products)
                  .arg(docOptions.documents)
                  .arg(QDir::toNativeSeparators(folder))
                  .arg(clock.elapsed() / 1000.0, 0, 'f', 1));
    else
        print(QStringLiteral("Mintabizonylatok betöltve: %1 bizonylat (%2), %3 mp.")
                  .arg(docOptions.documents)
                  .arg(QDir::toNativeSeparators(folder))
                  .arg(clock.elapsed() / 1000.0, 0, 'f', 1));
    return Success;
}

} // namespace

cli::Command demoDataCommand() {
    return {kCommand,
            QStringLiteral("DIR"),
            QStringLiteral("adatmappa feltöltése mintaadatokkal"),
            help(),
            {{kCustomers, kProducts, kDocuments, kSeed}, {}, {}},
            runDemoData};
}

} // namespace orvix
