// The indexes of an older data folder brought up to the catalogue: every
// index the catalogue names and the open database lacks is created, so a new
// folder, the start of the program, the command line and re-indexing all
// work from the one list of indexes.
#pragma once

#include <QString>
#include <QStringList>

namespace orvix {
class Database;
}

namespace orvix::data {

struct IndexCheck {
    // Names of the indexes made now.
    QStringList created;
    // A unique index that could not be made because rows already repeat its
    // key (documents sharing a number): the Hungarian warning naming the
    // repeated keys, one per index. Nothing of that index was changed.
    QStringList warnings;
};

// Creates the missing indexes of every table of the catalogue that exists in
// the open database. The usual case (nothing missing) only reads; otherwise
// the indexes are made under one write lock, so that no row slips in between
// the check of a unique key and its index.
IndexCheck ensureIndexes(Database& db);

} // namespace orvix::data
