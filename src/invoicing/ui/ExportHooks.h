// The tax authority's audit export as the register reaches it. The export
// belongs to a subsystem built on top of invoicing; the program installs it
// here at start, and the register offers its two NAV actions only when it is
// installed.
#pragma once

#include <functional>

class QWidget;

namespace orvix {
class Database;
class Dialogs;
}

namespace orvix::ui {

struct AuditExportHooks {
    // "NAV ellenőrzés adatszolgáltatás dátum szerint": asks for the period,
    // then opens the export window on it.
    std::function<void(QWidget* parent, Database& db, Dialogs& dialogs)> byPeriod;
    // "NAV ellenőrzés adatszolgáltatás számlaszám tartományra": asks for the
    // first and the last number, then opens the export window on them.
    std::function<void(QWidget* parent, Database& db, Dialogs& dialogs)> byNumbers;
};

AuditExportHooks& auditExportHooks();

// The accounting hand-overs (NAV menu): each opens its window.
struct AccountingExportHooks {
    // "ForintSoft könyvelő program interface".
    std::function<void(QWidget* parent, Database& db, Dialogs& dialogs)> forintSoft;
    // "KSzlaKet interface".
    std::function<void(QWidget* parent, Database& db, Dialogs& dialogs)> kSzlaKet;
};

AccountingExportHooks& accountingExportHooks();

} // namespace orvix::ui
