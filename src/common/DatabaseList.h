// The registered data folders of the ini file: keys ConStr1 … ConStr25 of
// section Adatbazis, each "display name;folder;".
#pragma once

#include "common/IniFile.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace orvix {

inline constexpr int kMaxDatabases = 25;

struct DatabaseEntry {
    int position = 0;   // number of its ConStr key (1 … 25)
    QString name;       // display name
    QString folder;     // folder as written in the ini
    QString raw;        // the whole ini value
};

// The first and second ";"-separated fields of an entry.
DatabaseEntry parseDatabaseEntry(const QString& raw, int position = 0);
QString formatDatabaseEntry(const QString& name, const QString& folder);

// Every non-empty ConStr1 … ConStr25, in key order; gaps are skipped.
std::vector<DatabaseEntry> readDatabaseList(const IniFile& ini);
// Deletes every ConStr key and writes the entries as ConStr1, ConStr2 … in
// the given order (at most 25).
void writeDatabaseList(IniFile& ini, const std::vector<DatabaseEntry>& entries);

// A folder text that is not an absolute path is taken relative to the program folder.
QString resolveDataFolder(const QString& folderText, const QString& programFolder);

} // namespace orvix
