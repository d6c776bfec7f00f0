// "Szállítási cím": the edit dialog of one further delivery address of a
// customer.
#pragma once

#include "core/ui/WindowDialogs.h"
#include "masters/Customers.h"

#include <QDialog>
#include <memory>

class QLineEdit;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

// "Szállítási cím": name, postcode, town and street of one address. Leaving
// the postcode fills an empty (or default) town from the postcode table.
// "OK" checks the four parts in order and saves the address.
class Tfrm_SzallitasiCim : public QDialog {
    Q_OBJECT

public:
    Tfrm_SzallitasiCim(Database& db, const DeliveryAddress& address, QWidget* parent = nullptr,
                       Dialogs* dialogs = nullptr);
    ~Tfrm_SzallitasiCim() override;

    QLineEdit* edit(const QString& field) const;
    // The address as saved (its key set) after "OK".
    const DeliveryAddress& address() const { return m_address; }
    void ok();

private:
    Database& m_db;
    WindowDialogs m_dialogs;
    DeliveryAddress m_address;
    QLineEdit* m_nev = nullptr;
    QLineEdit* m_irsz = nullptr;
    QLineEdit* m_varos = nullptr;
    QLineEdit* m_cim = nullptr;
};

} // namespace orvix::ui

namespace orvix {
using ui::Tfrm_SzallitasiCim;
} // namespace orvix
