// The list window of every code table (payment methods, origins, categories,
// units, tariff and service numbers, currencies, document type names, label
// layouts, cash desks, cash movement types). What differs between the
// members comes from their description (masters/CodeTables.h).
//
// In maintain mode the window keeps the table; in choose mode "Elfogad"
// (Enter, double click) closes it with the current row, which the caller
// takes as its choice. The grid is sorted by a click on a column title; the
// search box makes current the first row whose search field starts with the
// typed text, and typing on the grid starts a search.
#pragma once

#include "core/ui/ListWindow.h"
#include "masters/CodeTables.h"

#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

class QAbstractItemModel;
class QAction;
class QLabel;
class QLineEdit;
class QTabWidget;
class QTableView;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

enum class CodeTableMode {
    Maintain,  // opened from the main menu: keeps the table
    Choose,    // a chooser that may also keep the table
    ChooseOnly // a chooser without the new, edit and delete actions
};

class CodeTableModel;

class Tfrm_CodeTable : public ListWindow {
    Q_OBJECT

public:
    // Messages go to `dialogs`, or to the program's own boxes when it is null.
    Tfrm_CodeTable(Database& db, CodeTableId id, CodeTableMode mode, const QVariant& preset = {},
                   QWidget* parent = nullptr, Dialogs* dialogs = nullptr);
    ~Tfrm_CodeTable() override;

    const CodeTableWindowDesc& description() const { return m_window; }
    CodeTableMode mode() const { return m_mode; }

    int pageCount() const { return int(m_pages.size()); }
    int currentPage() const { return m_page; }
    void setCurrentPage(int page);
    const CodeTableDesc& pageDescription(int page = -1) const;

    QTableView* grid(int page = -1) const;
    QAbstractItemModel* model(int page = -1) const;
    QLineEdit* searchBox() const { return m_search; }

    int rowCount() const;
    int currentRow() const;
    void setCurrentRow(int row);
    // The current row's values; empty when the grid is empty.
    CodeTableRow currentValues() const;
    QString sortField() const;
    // Sorts the page by the field of a grid column and highlights that column.
    void sortByColumn(int column);
    // The status bar text: "row count: current row".
    QString positionText() const;

    // The row accepted with "Elfogad"; nothing when the window was closed otherwise.
    const std::optional<CodeTableRow>& acceptedRow() const { return m_accepted; }
    std::optional<QVariant> acceptedKey() const;

protected:
    // Shows the edit window on a new row (stored == nullptr) or a stored one;
    // the key of the stored row, or nothing when the window was cancelled.
    virtual std::optional<QVariant> editRow(const CodeTableDesc& desc, const CodeTableRow& row,
                                            const CodeTableRow* stored);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Page {
        const CodeTableDesc* desc = nullptr;
        QTableView* grid = nullptr;
        CodeTableModel* model = nullptr;
    };

    QTableView* makePageGrid(Page& page);
    void reload(int page, const QVariant& key, int fallbackRow = 0);
    void positionOn(int page, const QVariant& key, bool wholeKey);
    void newRow();
    void editCurrent();
    void deleteCurrent();
    void accept();
    void focusSearch(bool selectAll);
    void searchChanged(const QString& text);
    void fitColumns(int page);
    void updateState();
    bool actionsShown() const;

    Database& m_db;
    const CodeTableWindowDesc& m_window;
    CodeTableMode m_mode;
    std::vector<Page> m_pages;
    int m_page = 0;
    QTabWidget* m_tabs = nullptr;
    QLabel* m_panel = nullptr;
    QLineEdit* m_search = nullptr;
    QAction* m_aUjsor = nullptr;
    QAction* m_aSzerkeszt = nullptr;
    QAction* m_aTorol = nullptr;
    QAction* m_aKereso = nullptr;
    QAction* m_aBezar = nullptr;
    QAction* m_aElfogad = nullptr;
    bool m_keepSearchText = false; // the next focus-in of the search box keeps the caret
    bool m_ignoreSearch = false;
    std::optional<CodeTableRow> m_accepted;
};

// ---- Entry points ------------------------------------------------------------

// Opens a member window modally. Maintain mode first checks the right the
// main menu action demands ("Nincs jogosultság a művelethez."). Returns the
// accepted row's key in the choose modes; nothing when closed without
// accepting, refused, or in maintain mode.
std::optional<QVariant> openCodeTable(QWidget* parent, Database& db, CodeTableId id, CodeTableMode mode,
                                      const QVariant& preset = {});
// The same, returning the accepted row with every loaded field (the key, the
// columns and the member's result fields).
std::optional<CodeTableRow> chooseCodeTableRow(QWidget* parent, Database& db, CodeTableId id,
                                               const QVariant& preset = {},
                                               CodeTableMode mode = CodeTableMode::Choose);

// Payment method chooser of the customer window, settings and document
// editor: the key with its paid flag ("N" when empty) and payment term.
std::optional<PaymentMethodChoice> choosePaymentMethod(QWidget* parent, Database& db,
                                                       const QVariant& preset = {});
// "Címke nyomtatás": the label layout with its margins, height and columns.
std::optional<LabelLayout> chooseLabelLayout(QWidget* parent, Database& db, const QString& preset = {});
// Cash desk chooser ("Kasszák"); viewOnly hides new, edit and delete.
std::optional<CashDeskChoice> chooseCashDesk(QWidget* parent, Database& db, qint64 preset = -1,
                                             bool viewOnly = false);
// Cash movement type chooser ("Kassza típusok"): the code and its direction.
std::optional<CashMovementTypeChoice> chooseCashMovementType(QWidget* parent, Database& db,
                                                             const QString& preset = {});

} // namespace orvix::ui

namespace orvix {
using ui::chooseCashDesk;
using ui::chooseCashMovementType;
using ui::chooseCodeTableRow;
using ui::chooseLabelLayout;
using ui::choosePaymentMethod;
using ui::CodeTableMode;
using ui::openCodeTable;
using ui::Tfrm_CodeTable;
} // namespace orvix
