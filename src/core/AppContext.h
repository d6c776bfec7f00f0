// Program-wide values: the folders, the ini file and its values, the settings
// record, the current user and the open data folder.
#pragma once

#include "common/IniFile.h"
#include "core/Settings.h"

#include <QString>

namespace orvix {

class Database;

struct Folders {
    QString program; // folder of the executable
    QString work;    // holds Orvix_Szamla.ini
    QString data;    // the open data folder
    QString archive; // database archives
    QString iniPath() const;
};

// The ini values read once at start and written back at exit.
struct AppConfig {
    QString archive;
    bool atvet = true;
    QString prnSzallLev;
    QString prnSzla;
    QString prnProforma;
    QString prnEgyeb;
    QString forintUtvonal;
    bool shImpQty = true;
    bool shImpPrice = false;
    int shImpRend = 0;
    QString shUjUtvonal;
    bool shAtnevez = false;
    QString pic1;
    QString pic2;
    QString html;
    int fontSize = 9;
    QString newCustomerAddress; // tblugyfel/cim_cim.defaultvalue (never written)
    QString newCustomerName;    // tblugyfel/ugyfel_nev.defaultvalue (never written)
    QString cfLocfile;
    QString cfHttp;
    QString cfLocal;
    int left = 0;
    int top = 0;
    int width = 770;
    int height = 550;
    int sLeft = 0;
    int sTop = 0;
    QString kEmil;
};

struct CurrentUser {
    QString name = QStringLiteral("rendszergazda");
    bool rendszergazda = true; // administrator
    bool iras = true;          // may edit master data
};

inline constexpr int kMinFontSize = 8;
inline constexpr int kMaxFontSize = 22;

struct AppContext {
    Folders folders;
    IniFile ini;
    AppConfig config;
    Settings settings;
    CurrentUser user;
    Database* db = nullptr;
    bool kiir = false; // started with the argument "kiir"
};

// The one context of this process.
AppContext& app();

} // namespace orvix
