// "KSzlaKet.dbf interface": the document hand-over into KSZLAKET.dbf. On
// opening, the VAT band sums of the documents not yet handed over are
// recomputed from their lines.
#pragma once

#include "exports/ui/Tfrm_Forint.h"

namespace orvix::ui {

class Tfrm_KSzlaKet : public HandOverWindow {
    Q_OBJECT

public:
    // Throws DbError when the recomputation fails (the window is not shown).
    Tfrm_KSzlaKet(Database& db, Dialogs& dialogs, QWidget* parent = nullptr);

protected:
    HandOverResult run(const HandOverProgress& progress) override;
    bool withCustomers() const override { return false; }
};

// Installs the register's "ForintSoft interface" and "KSzlaKet interface".
void installAccountingExport();

} // namespace orvix::ui
