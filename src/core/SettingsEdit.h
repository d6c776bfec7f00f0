// Reading and saving the settings record (the one row of table beallit) by
// field name, with the checks every editor of the settings applies: flags are
// "I" or "N", whole numbers and rates within their ranges, texts within the
// field's width, folders that exist. A save is one transaction: all the
// changes or none.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <optional>

namespace orvix {

class Database;
struct AppConfig;
struct AppContext;

using SettingValues = QList<QPair<QString, QString>>;

// Every field of the settings record but its key, in the record's order, as
// text (flags "I"/"N", numbers as the engine holds them).
SettingValues settingValues(Database& db);

// The check of one value; the Hungarian message when it is refused. The field
// name is matched without regard to case.
std::optional<QString> checkSetting(const QString& key, const QString& value);

// Checks every change first; saves them all in one transaction only when each
// one passes. Returns the first refusal's message; nothing is saved then.
std::optional<QString> saveSettings(Database& db, const SettingValues& changes);

// The values of the configuration file the settings window edits beside the
// record: they reach the file at exit with the other ini values.
struct IniSettings {
    QString archive;     // Database / Archive
    QString pic1;        // Defaults / Pic1
    QString pic2;        // Defaults / Pic2
    QString prnSzla;     // Printers / Szla
    QString prnSzallLev; // Printers / SzallLev
    QString prnProforma; // Printers / Proforma
    QString prnEgyeb;    // Printers / Egyeb
    bool atvet = true;   // Szamla / Atvet
    bool operator==(const IniSettings&) const = default;
};

IniSettings iniSettings(const AppConfig& config);

// The archive folder empty or an existing folder (a missing one is made);
// each picture empty or an existing file. The Hungarian message of the first
// that is not.
std::optional<QString> checkIniSettings(const IniSettings& values);

// Takes the values into the program-wide values (the archive folder into the
// folders too).
void applyIniSettings(AppContext& ctx, const IniSettings& values);

} // namespace orvix
