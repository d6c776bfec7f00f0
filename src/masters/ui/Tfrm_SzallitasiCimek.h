// "További szállítási címek": the further delivery addresses of one customer,
// kept here (maintenance) or chosen for a document (choose mode).
#pragma once

#include "core/ui/ListWindow.h"
#include "masters/Customers.h"

#include <memory>
#include <optional>
#include <vector>

class QStandardItemModel;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

class Tfrm_SzallitasiCimek : public ListWindow {
    Q_OBJECT

public:
    enum Column { ColNev = 0, ColIrsz, ColVaros, ColCim, ColumnCount };

    // chooseMode: "Elfogad" is offered and returns the current address.
    Tfrm_SzallitasiCimek(Database& db, qint64 ugyfel, bool chooseMode, qint64 preset = -1,
                         QWidget* parent = nullptr, Dialogs* dialogs = nullptr);
    ~Tfrm_SzallitasiCimek() override;

    QStandardItemModel* model() const { return m_model; }
    qint64 currentKey() const;
    bool setCurrentKey(qint64 key);
    void sortByColumn(int column);
    QString positionText() const;
    // The accepted address; -1 when none was accepted.
    qint64 chosen() const { return m_chosen; }

protected:
    // Opens "Szállítási cím" on the address; the saved key, or nothing.
    virtual std::optional<qint64> editAddress(const DeliveryAddress& address);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void reload(qint64 current, int fallbackRow = 0);
    void newAddress();
    void addHeadOffice();
    void editCurrent();
    void deleteCurrent();
    void acceptCurrent();
    void fitColumns();
    void updateState();

    Database& m_db;
    qint64 m_ugyfel = 0;
    bool m_chooseMode = false;
    std::vector<DeliveryAddress> m_rows;
    QStandardItemModel* m_model = nullptr;
    QAction* m_aElfogad = nullptr;
    QAction* m_aSzerkeszt = nullptr;
    QAction* m_aTorol = nullptr;
    int m_sortColumn = -1; // -1: in the order the addresses were added
    qint64 m_chosen = -1;
};

// "Címek..." of the customer list: the customer's further delivery addresses
// in maintenance mode.
void openDeliveryAddresses(QWidget* parent, Database& db, qint64 ugyfel);
// The invoice editor's delivery-address choice: the accepted address, or
// nothing when the window was closed without a choice.
std::optional<qint64> chooseDeliveryAddress(QWidget* parent, Database& db, qint64 ugyfel, qint64 preset = -1);

} // namespace orvix::ui

namespace orvix {
using ui::chooseDeliveryAddress;
using ui::openDeliveryAddresses;
using ui::Tfrm_SzallitasiCimek;
} // namespace orvix
