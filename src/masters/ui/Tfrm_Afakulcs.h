// "Áfa kulcsok kezelése": the rate change of the product master. The current
// rate is chosen from the rates of the products, the new one typed; the
// method keeps the net or the gross price; a read-only list shows the rates
// in use by products not deleted with their number.
#pragma once

#include <QDialog>
#include <functional>

class QComboBox;
class QLineEdit;
class QRadioButton;
class QStandardItemModel;
class QTableView;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

class Tfrm_Afakulcs : public QDialog {
    Q_OBJECT

public:
    // changed runs after a change, so that the product list shows the new
    // prices.
    Tfrm_Afakulcs(Database& db, Dialogs& dialogs, std::function<void()> changed = {}, QWidget* parent = nullptr);

    QComboBox* currentRate() const { return m_current; }
    QLineEdit* newRate() const { return m_new; }
    QRadioButton* keepGross() const { return m_keepGross; }
    QStandardItemModel* ratesInUse() const { return m_inUse; }

    // "Áfa kulcs beállítása".
    void apply();

private:
    void reload();

    Database& m_db;
    Dialogs& m_dialogs;
    std::function<void()> m_changed;
    QComboBox* m_current = nullptr;
    QLineEdit* m_new = nullptr;
    QRadioButton* m_keepNet = nullptr;
    QRadioButton* m_keepGross = nullptr;
    QStandardItemModel* m_inUse = nullptr;
    QTableView* m_grid = nullptr;
};

} // namespace orvix::ui
