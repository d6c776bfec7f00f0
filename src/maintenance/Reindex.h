// Re-indexing a data folder: every index of every table the catalogue knows
// is dropped and made again from the table's rows, with the names and fields
// of the catalogue, a few empty document values are filled, then the file is
// checked and its statistics renewed.
#pragma once

#include "maintenance/Reporter.h"

#include <QString>
#include <QStringList>

namespace orvix {
class Database;
}

namespace orvix::maintenance {

struct ReindexResult {
    // Tables whose indexes could not be rebuilt (each reported); the others
    // were done.
    QStringList failedTables;
    // "ok", or the complaints of the integrity check.
    QString integrity;
    bool clean() const { return failedTables.isEmpty() && integrity == QLatin1String("ok"); }
};

// The tables re-indexed, in their order (alphabetical).
QStringList reindexTables();

// The rebuild and the data fixes, inside the caller's transaction. A table
// whose indexes cannot be rebuilt is reported and left as it was; an error of
// a data fix throws MaintenanceError.
QStringList rebuildIndexes(Database& db, Reporter& reporter);

// The whole maintenance run on a folder: the rebuild and the fixes in one
// exclusive transaction, then the integrity check and ANALYZE. Throws
// MaintenanceError when it stopped (nothing kept).
ReindexResult reindexFolder(const QString& folder, Reporter& reporter);

// Runs after a committed rebuild: PRAGMA integrity_check, then ANALYZE.
QString checkAndAnalyze(Database& db, Reporter& reporter);

} // namespace orvix::maintenance
