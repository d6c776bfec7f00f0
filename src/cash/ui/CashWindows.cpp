#include "cash/ui/CashWindows.h"

#include "cash/ui/Tfrm_Cassa.h"
#include "core/ui/QtDialogs.h"
#include "invoicing/ui/Tfrm_Main.h"

namespace orvix::ui {

void installCashBook(Tfrm_Main& window) {
    window.setCapability(QStringLiteral("aKassza"), [&window](int) {
        if (Database* db = window.database()) {
            QtDialogs dialogs(&window);
            openCashBook(&window, *db, dialogs);
        }
    });
}

} // namespace orvix::ui
