// From launch to an open data folder, and back to a clean exit: where the ini
// file lives, the registered data folders, the ini values, opening the chosen
// folder, the field patches of older folders and the settings record.
#pragma once

#include "core/AppContext.h"

#include <QString>

namespace orvix {

class Database;
class Dialogs;

inline const QString kIniFileName = QStringLiteral("Orvix_Szamla.ini");
inline const QString kChooseDatabaseCaption = QStringLiteral("Orvix Számla program adatbázis választás");

// The program folder is given; the work folder is the program folder when it
// holds the ini file, otherwise Orvix_Szamla under the user's data folder
// (XDG_DATA_HOME), or the program folder when that cannot be determined.
Folders locateFolders(const QString& programFolder);

// Migrates the old single-folder key and seeds the two default entries on a
// fresh install; seeded folders that do not exist yet are created as new,
// empty data folders. Saves the ini when anything changed.
void migrateDatabaseList(IniFile& ini, const QString& workFolder);

// The ini values of the start, with their defaults; picture files that do not
// exist are cleared.
AppConfig readConfig(const IniFile& ini, const Folders& folders);
// Writes the values back in the order the program always wrote them.
void writeConfig(IniFile& ini, const AppConfig& config);

// Adds the fields that older data folders lack.
void applyFieldPatches(Database& db);

// "Orvix Számla: [" + owner name + "]".
QString mainCaption(Database& db);

// Opens a data folder for the program: a folder without a database asks
// whether to create a new data folder there. False when nothing was opened
// (the user said no, or the engine refused; the error was shown).
bool openDataFolder(Database& db, const QString& folder, Dialogs& dialogs);

enum class StartupResult { Opened, Cancelled };

// Steps of the start up to the settings record: locate folders, load and
// migrate the ini, choose a database, read the ini values, open the folder,
// patch it, load the settings. Fills ctx; ctx.db is set to db when opened.
StartupResult startUp(AppContext& ctx, Database& db, Dialogs& dialogs, const QString& programFolder);

// Exit: closes the database and writes the ini values back.
void shutDown(AppContext& ctx);

// Reads the settings record anew (at start and after the settings window):
// a Zentra feed whose folder does not exist is switched off with the error
// "Nem létező Zentra adatbázis".
void reloadSettings(AppContext& ctx, Database& db, Dialogs& dialogs);

} // namespace orvix
