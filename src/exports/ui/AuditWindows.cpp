#include "exports/ui/AuditWindows.h"

#include "common/Database.h"
#include "core/ui/QtDialogs.h"
#include "exports/AuditXml.h"
#include "exports/ui/Tfrm_NavEllenor_BDE.h"
#include "invoicing/ui/ExportHooks.h"

namespace orvix::ui {

namespace {

void openWindow(QWidget* parent, Database& db, Dialogs& dialogs, const std::optional<AuditSelection>& selection) {
    if (!selection)
        return;
    Tfrm_NavEllenor_BDE window(db, dialogs, *selection, parent);
    window.exec();
}

} // namespace

void installAuditExport() {
    AuditExportHooks& hooks = auditExportHooks();
    hooks.byPeriod = [](QWidget* parent, Database& db, Dialogs& dialogs) {
        const QDate today = QDate::currentDate();
        openWindow(parent, db, dialogs, askAuditPeriod(dialogs, today.addMonths(-1), today));
    };
    hooks.byNumbers = [](QWidget* parent, Database& db, Dialogs& dialogs) {
        openWindow(parent, db, dialogs, askAuditNumbers(db, dialogs));
    };
}

} // namespace orvix::ui
