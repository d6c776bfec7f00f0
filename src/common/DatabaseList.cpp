#include "common/DatabaseList.h"

#include <QDir>
#include <QFileInfo>

namespace orvix {

namespace {
const QString kSection = QStringLiteral("Adatbazis");
QString keyOf(int i) { return QStringLiteral("ConStr%1").arg(i); }
} // namespace

DatabaseEntry parseDatabaseEntry(const QString& raw, int position) {
    const QStringList parts = raw.split(QLatin1Char(';'));
    DatabaseEntry e;
    e.position = position;
    e.raw = raw;
    e.name = parts.value(0);
    e.folder = parts.value(1);
    return e;
}

QString formatDatabaseEntry(const QString& name, const QString& folder) {
    return name + QLatin1Char(';') + folder + QLatin1Char(';');
}

std::vector<DatabaseEntry> readDatabaseList(const IniFile& ini) {
    std::vector<DatabaseEntry> list;
    for (int i = 1; i <= kMaxDatabases; ++i) {
        const QString raw = ini.value(kSection, keyOf(i));
        if (!raw.isEmpty())
            list.push_back(parseDatabaseEntry(raw, i));
    }
    return list;
}

void writeDatabaseList(IniFile& ini, const std::vector<DatabaseEntry>& entries) {
    for (int i = 1; i <= kMaxDatabases; ++i)
        ini.removeKey(kSection, keyOf(i));
    int n = 0;
    for (const DatabaseEntry& e : entries) {
        if (++n > kMaxDatabases)
            break;
        ini.setValue(kSection, keyOf(n), formatDatabaseEntry(e.name, e.folder));
    }
}

QString resolveDataFolder(const QString& folderText, const QString& programFolder) {
    if (folderText.isEmpty())
        return folderText;
    if (QDir::isAbsolutePath(folderText))
        return QDir::cleanPath(folderText);
    return QDir::cleanPath(QDir(programFolder).filePath(folderText));
}

} // namespace orvix
