// The cash windows the main window offers: "Kassza".
#pragma once

namespace orvix {
class Tfrm_Main;
}

namespace orvix::ui {

// Installs "Kassza" on every list of the main window.
void installCashBook(Tfrm_Main& window);

} // namespace orvix::ui
