#include "invoicing/ui/PrintHooks.h"

namespace orvix::ui {

DocumentPrintHooks& documentPrintHooks() {
    static DocumentPrintHooks hooks;
    return hooks;
}

} // namespace orvix::ui
