// "Termék keresése": the detailed search of the product list, the product
// chooser and (in customer mode) the customer list: a text found anywhere,
// at the beginning of the name, or as the whole name.
#pragma once

#include "core/ui/WindowDialogs.h"
#include "invoicing/ProductChoice.h"

#include <QDialog>
#include <QVariant>
#include <memory>
#include <optional>

class QLineEdit;
class QPushButton;
class QRadioButton;
class QSqlQueryModel;
class QTabWidget;
class QTableView;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

class Tfrm_TermekKeres : public QDialog {
    Q_OBJECT

public:
    Tfrm_TermekKeres(Database& db, SearchTarget target, QWidget* parent = nullptr,
                     Dialogs* dialogs = nullptr);
    ~Tfrm_TermekKeres() override;

    QLineEdit* textEdit() const { return m_text; }
    QRadioButton* methodButton(SearchMethod method) const;
    QTabWidget* pages() const { return m_pages; }
    QTableView* grid() const { return m_grid; }
    QPushButton* foundButton() const { return m_found; }
    int resultCount() const;
    // "Keres": true when rows were found (the result page is shown).
    bool search();
    void sortByColumn(int column);
    // The key (product code or customer key) of the current result row.
    QVariant currentKey() const;
    const std::optional<QVariant>& chosen() const { return m_chosen; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    SearchMethod method() const;
    bool runQuery();
    void acceptCurrent();

    Database& m_db;
    SearchTarget m_target;
    WindowDialogs m_dialogs;
    QTabWidget* m_pages = nullptr;
    QLineEdit* m_text = nullptr;
    QRadioButton* m_methods[3] = {};
    QTableView* m_grid = nullptr;
    QSqlQueryModel* m_model = nullptr;
    QPushButton* m_found = nullptr;
    QString m_order;
    bool m_placed = false;
    std::optional<QVariant> m_chosen;
};

// The search; the key of the row found and accepted ("Megvan"), or nothing.
std::optional<QVariant> searchProductOrCustomer(QWidget* parent, Database& db, SearchTarget target);

} // namespace orvix::ui
