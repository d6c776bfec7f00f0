// "Cikkszám választás": the product chooser of the documents and of the
// other windows that pick a product. A search box finds a text in the code,
// the name or the second name (letter case and accents ignored); a click on a
// column title orders by it; products can be added, edited and deleted from
// here. Used for an advance invoice it lists the customer's advance items and
// makes new ones with generated codes.
#pragma once

#include "invoicing/ProductChoice.h"

#include <QDialog>
#include <QString>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QSqlQueryModel;
class QTableView;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

class ProductListModel;

class Tfrm_CikkValaszt : public QDialog {
    Q_OBJECT

public:
    enum Column { ColCikkszam = 0, ColNev, ColKategoria, ColMert, ColNetto, ColBrutto, ColumnCount };

    // startCode: the chooser starts on the first product whose code begins
    // with it (letter case ignored). sortField: the order to start in (a
    // column's field); empty: the order of the main window's product list
    // (productListOrder).
    Tfrm_CikkValaszt(Database& db, ProductChoiceMode mode, const QString& startCode, qint64 customer = -1,
                     const QString& sortField = {}, QWidget* parent = nullptr, Dialogs* dialogs = nullptr);
    ~Tfrm_CikkValaszt() override;

    ProductChoiceMode mode() const { return m_mode; }
    QTableView* grid() const { return m_grid; }
    QLineEdit* searchBox() const { return m_search; }
    QAction* action(const QString& objectName) const;
    int rowCount() const;
    QString currentCode() const;
    bool setCurrentCode(const QString& code);
    QStringList shownCodes() const;
    // The highlighted column of the order; -1 when the list is ordered by a
    // field it does not show.
    int sortColumn() const { return m_sortColumn; }
    QString orderField() const { return m_orderField; }
    void sortByColumn(int column);
    QString positionText() const;
    QString secondNameText() const;

    // The accepted product; nothing when the window was not accepted.
    const std::optional<ProductChoiceResult>& choice() const { return m_choice; }

protected:
    // The product window on a product (nothing: a new product); the code of
    // the saved product, or nothing.
    virtual std::optional<QString> editProductRow(const std::optional<QString>& code);
    // The product window on a new advance item; the saved code, or nothing.
    virtual std::optional<QString> editNewAdvanceItem(const Product& item);
    // "Termék keresése" on products; the code found, or nothing.
    virtual std::optional<QString> detailedSearch();

    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QAction* makeAction(const QString& name, const QString& text, const QKeySequence& key);
    QString condition() const;
    void reload(const QString& current);
    void positionOnPrefix(const QString& text, bool onCode);
    void acceptCurrent();
    void newProduct();
    void editCurrent();
    void deleteCurrent();
    void searchDetailed();
    void fitColumns();
    void updateState();

    Database& m_db;
    ProductChoiceMode m_mode;
    qint64 m_customer;
    std::unique_ptr<Dialogs> m_ownDialogs;
    Dialogs* m_dialogs = nullptr;
    QSqlQueryModel* m_query = nullptr;
    ProductListModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QLineEdit* m_search = nullptr;
    QLabel* m_position = nullptr;
    QLabel* m_secondName = nullptr;
    QAction* m_aKereso = nullptr;
    QAction* m_aKeresoReszletes = nullptr;
    QAction* m_aElfogad = nullptr;
    QAction* m_aMegsem = nullptr;
    QAction* m_aUj = nullptr;
    QAction* m_aSzerkeszt = nullptr;
    QAction* m_aTorol = nullptr;
    int m_sortColumn = ColCikkszam;
    QString m_orderField = QStringLiteral("cikkszam");
    int m_count = 0;
    std::optional<ProductChoiceResult> m_choice;
};

// The four uses of the chooser. Each starts on startCode and returns nothing
// when the window was closed without a choice.
// Products that are neither deleted nor advance items: the code.
std::optional<QString> chooseProductCode(QWidget* parent, Database& db, const QString& startCode,
                                         const QString& sortField = {});
// The same list: the code and the name.
struct ProductCodeAndName {
    QString code;
    QString name;
};
std::optional<ProductCodeAndName> chooseProductCodeAndName(QWidget* parent, Database& db,
                                                           const QString& startCode,
                                                           const QString& sortField = {});
// A document line: also the advance items of the customer.
std::optional<ProductChoiceResult> chooseLineProduct(QWidget* parent, Database& db, const QString& startCode,
                                                     qint64 customer, const QString& sortField = {});
// An advance invoice: the customer's advance items.
std::optional<ProductChoiceResult> chooseAdvanceItem(QWidget* parent, Database& db, const QString& startCode,
                                                     qint64 customer);

} // namespace orvix::ui
