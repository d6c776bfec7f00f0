// "Ügyfél választása": the customer chooser of the invoicing functions. A
// search box finds a text anywhere in the name, phones, e-mail, postal
// address or contact (letter case and accents ignored); a click on a column
// title sorts by it. Customers can be added, edited and deleted from here.
#pragma once

#include "core/ui/ListWindow.h"

#include <QString>
#include <memory>
#include <optional>

class QSqlQueryModel;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

class CustomerChooserModel;

// What the chooser returns: the customer, its name and its discount.
struct CustomerChoice {
    qint64 ugyfel = -1;
    QString ugyfel_nev;
    double kedvezmeny = 0;
};

class Tfrm_UgyfelValaszt : public ListWindow {
    Q_OBJECT

public:
    // Grid columns: "név", discount, customer code, postcode, town, street.
    enum Column { ColNev = 0, ColKedvezmeny, ColUgyfelkod, ColIrsz, ColVaros, ColCim, ColumnCount };

    Tfrm_UgyfelValaszt(Database& db, qint64 preset, QWidget* parent = nullptr, Dialogs* dialogs = nullptr);
    ~Tfrm_UgyfelValaszt() override;

    int rowCount() const { return m_count; }
    // The key of the current customer; -1 when the list is empty.
    qint64 currentKey() const;
    // Makes the customer current (fetching rows as needed); false when it is
    // not in the list.
    bool setCurrentKey(qint64 key);
    // The customer keys shown, in order (every row fetched).
    QList<qint64> shownKeys() const;
    void sortByColumn(int column);
    int sortColumn() const { return m_sortColumn; }
    QString positionText() const;
    // The accepted customer; ugyfel is -1 when the window was not accepted.
    CustomerChoice choice() const { return m_choice; }

protected:
    // Opens the customer window (a new customer when key is empty); the key
    // of the saved customer, or nothing.
    virtual std::optional<qint64> editCustomerRow(std::optional<qint64> key);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void reload(qint64 current);
    void acceptCurrent();
    void newCustomer();
    void editCurrent();
    void deleteCurrent();
    void fitColumns();
    void updateState();

    Database& m_db;
    QSqlQueryModel* m_query = nullptr;
    CustomerChooserModel* m_model = nullptr;
    QAction* m_aKereso = nullptr;
    QAction* m_aElfogad = nullptr;
    QAction* m_aUj = nullptr;
    QAction* m_aSzerkeszt = nullptr;
    QAction* m_aTorol = nullptr;
    QAction* m_aBezar = nullptr;
    int m_sortColumn = ColNev;
    int m_count = 0;
    CustomerChoice m_choice;
};

// The chooser positioned on `preset`; the accepted customer, or nothing when
// it was closed without a choice.
std::optional<CustomerChoice> chooseCustomer(QWidget* parent, Database& db, qint64 preset);

} // namespace orvix::ui

namespace orvix {
using ui::chooseCustomer;
using ui::CustomerChoice;
using ui::Tfrm_UgyfelValaszt;
} // namespace orvix
