#include "invoicing/ui/ExportHooks.h"

namespace orvix::ui {

AuditExportHooks& auditExportHooks() {
    static AuditExportHooks hooks;
    return hooks;
}

AccountingExportHooks& accountingExportHooks() {
    static AccountingExportHooks hooks;
    return hooks;
}

} // namespace orvix::ui
