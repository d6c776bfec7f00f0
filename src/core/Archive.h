// The ZIP archive of a data folder, and bringing one back into a new folder.
//
// The database file goes into the archive as a consistent snapshot taken
// through SQLite's backup API, so other workstations may keep writing while
// the archive is made; every other file of the folder is added as it lies.
// The archive is written under a temporary name and renamed into place only
// when complete, so a failure never leaves a partial archive behind.
#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace orvix {

struct AppContext;
class Dialogs;

// The archive file name offered for a day: "yyyymmdd.zip" in archiveFolder.
QString offeredArchiveFile(const QString& archiveFolder, const QDate& day);

// Saves every file of folder (names relative to it, maximum deflate) into
// zipFile. Returns the error text on failure; zipFile is then untouched.
std::optional<QString> archiveDataFolder(const QString& folder, const QString& zipFile);

// Unpacks zipFile into newFolder, which must not exist or be empty. Every
// entry's checksum and the database's integrity are checked before anything
// lands in newFolder. Returns the error text on failure; nothing is written.
std::optional<QString> restoreArchive(const QString& zipFile, const QString& newFolder);

// The archive folder for a backup from the database list: when the folder of
// the ini does not exist, the error "Nem létező mentési útvonal, alapértelmezés
// visszaállítva." and the work folder's Archiv becomes the archive folder
// (created when missing).
QString backupArchiveFolder(AppContext& ctx, Dialogs& dialogs);

// A backup from the database list: archives folder into zipFile; on failure
// the error "Hiba az archiválás közben" with the reason, otherwise the ini's
// Archive/LastArchive becomes today. True when the archive was made.
bool backupDataFolder(AppContext& ctx, const QString& folder, const QString& zipFile, Dialogs& dialogs);

// The archive folder of the main window's archive: an empty setting becomes
// the work folder's Archiv (without a message); the folder is created when
// missing.
QString mainArchiveFolder(AppContext& ctx);

// The main window's archive of the open data folder into zipFile: the error
// "Hiba az archiválás közben" with the reason, or the information "Archív
// állomány kész.". True when the archive was made.
bool archiveOpenDataFolder(AppContext& ctx, const QString& zipFile, Dialogs& dialogs);

} // namespace orvix
