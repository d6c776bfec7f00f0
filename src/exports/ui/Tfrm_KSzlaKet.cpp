#include "exports/ui/Tfrm_KSzlaKet.h"

#include "common/Database.h"
#include "core/Dialogs.h"
#include "invoicing/ui/ExportHooks.h"

#include <QLineEdit>

namespace orvix::ui {

Tfrm_KSzlaKet::Tfrm_KSzlaKet(Database& db, Dialogs& dialogs, QWidget* parent)
    : HandOverWindow(db, dialogs, QStringLiteral("KSzlaKet.dbf interface"), QStringLiteral("Tfrm_KSzlaKet"), parent) {
    recomputeOpenDocumentBands(db);
}

HandOverResult Tfrm_KSzlaKet::run(const HandOverProgress& progress) {
    return exportKSzlaKet(m_db, m_dialogs, folderField()->text().trimmed(), progress);
}

void installAccountingExport() {
    AccountingExportHooks& hooks = accountingExportHooks();
    hooks.forintSoft = [](QWidget* parent, Database& db, Dialogs& dialogs) {
        Tfrm_Forint window(db, dialogs, parent);
        window.exec();
    };
    hooks.kSzlaKet = [](QWidget* parent, Database& db, Dialogs& dialogs) {
        try {
            Tfrm_KSzlaKet window(db, dialogs, parent);
            window.exec();
        } catch (const DbError& e) {
            dialogs.error(e.text());
        }
    };
}

} // namespace orvix::ui
