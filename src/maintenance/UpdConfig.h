// What the maintenance tool reads of the invoicing program's configuration
// file (it never writes it): the data folder of the last start and the
// registered data folders.
#pragma once

#include "common/DatabaseList.h"

#include <QString>
#include <vector>

namespace orvix::maintenance {

// Orvix_Szamla.ini in the program folder when it is there, otherwise in
// Orvix_Szamla under the user's data folder.
QString iniFilePath(const QString& programFolder);

// Section "Database", key "Path"; by default the Data folder beside the
// configuration file (the program folder, or the user's work folder where the
// program keeps its configuration and its first data folders).
QString initialDataFolder(const IniFile& ini, const QString& iniPath);

} // namespace orvix::maintenance
