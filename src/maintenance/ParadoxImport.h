// Bringing over a data folder of Paradox tables (.DB files) left by the old
// Windows program: every table the catalogue knows is read, its rows are
// written into a new data folder of the same (older) layout, and the version
// change brings that folder to the current layout, all before the new folder
// gets its database file: a failure leaves no half-written folder behind.
#pragma once

#include "maintenance/Reporter.h"

#include <QString>
#include <QStringList>

namespace orvix::maintenance {

struct ParadoxImportResult {
    // "szla: 1000 sor" for every table brought over.
    QStringList tables;
    // The .DB files of tables the program does not know; left alone.
    QStringList unknownTables;
    // Fields of known tables that the program does not know; not brought over.
    QStringList unknownFields;
    QString integrity;
};

// Throws MaintenanceError: the old folder missing or without tables, the new
// folder already holding a database, a damaged table (named).
ParadoxImportResult importParadox(const QString& oldFolder, const QString& newFolder, Reporter& reporter);

} // namespace orvix::maintenance
