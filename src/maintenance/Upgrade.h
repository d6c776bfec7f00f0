// The version change: brings a data folder of any older layout to the
// layout of the catalogue (missing tables, missing fields, widened fields,
// changed types, data fixes) and re-indexes it, all in one exclusive
// transaction: an error or a killed tool leaves the folder as it was.
#pragma once

#include "maintenance/Reindex.h"
#include "maintenance/Reporter.h"

#include <QString>

namespace orvix {
class Database;
}

namespace orvix::maintenance {

inline const QString kArchiveFolder = QStringLiteral("Archiv");

// The layout changes and data fixes, inside the caller's transaction.
// Throws MaintenanceError naming the step that failed.
void upgradeSchema(Database& db, Reporter& reporter);

struct UpgradeResult {
    QString archive; // the copy taken before the change
    ReindexResult reindex;
};

// The version change of a folder: refuses a folder that another program holds
// open, copies the database file into the folder's Archiv/ subfolder (named
// with the date and time), changes the layout and re-indexes in one exclusive
// transaction, then checks the file. Throws MaintenanceError.
UpgradeResult upgradeFolder(const QString& folder, Reporter& reporter);

} // namespace orvix::maintenance
