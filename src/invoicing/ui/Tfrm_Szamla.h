// "Számla készítés": the invoice editor. The header (customer, dates, payment
// method, totals, and on request the details panel) above the line grid with
// its tool bar. Lines are saved at once; the header by the next line action
// and when the window closes. A posted document is shown read-only.
#pragma once

#include "core/ui/WindowDialogs.h"
#include "invoicing/Editor.h"
#include "invoicing/ui/Tfrm_SorImport.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QHash>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableView;
class QToolButton;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

// The document's lines as the grid shows them.
class EditorLinesModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { ColSor = 0, ColNev, ColAfakulcs, ColDb, ColEgysar, ColNetto, ColBrutto, ColumnCount };

    explicit EditorLinesModel(const InvoiceEditor& editor, QObject* parent = nullptr);
    void refresh();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const InvoiceEditor& m_editor;
};

// The product chooser and the price dialog of the line entry.
class QtLineEntryUi : public LineEntryUi {
public:
    QtLineEntryUi(QWidget* parent, Database& db) : m_parent(parent), m_db(db) {}
    std::optional<ProductChoiceResult> chooseProduct(const ChoiceRequest& request) override;
    std::optional<double> editPrice(const QString& caption, double net, double rate) override;

private:
    QWidget* m_parent;
    Database& m_db;
};

class Tfrm_Szamla : public QDialog {
    Q_OBJECT

public:
    // Opens the stored document key. lineUi: the product chooser and price
    // dialog (default: the program's windows). Throws DocumentError when the
    // document does not exist.
    Tfrm_Szamla(Database& db, qint64 key, QWidget* parent = nullptr, Dialogs* dialogs = nullptr,
                LineEntryUi* lineUi = nullptr);
    ~Tfrm_Szamla() override;

    InvoiceEditor& editor() { return *m_editor; }
    QAction* action(const QString& objectName) const;
    QTableView* grid() const { return m_grid; }
    EditorLinesModel* linesModel() const { return m_lines; }
    // A header field's widget by its field name (ugyfel_nev, arfolyam …).
    QWidget* fieldWidget(const QString& field) const { return m_fields.value(field); }
    QDateEdit* performanceDate() const { return m_dateSzallhat; }
    QDateEdit* dueDate() const { return m_dateFizhat; }
    QLabel* numberLabel() const { return m_number; }
    QLabel* netTotalLabel() const { return m_netTotal; }
    QLabel* grossTotalLabel() const { return m_grossTotal; }
    QFrame* detailsPanel() const { return m_details; }
    QToolButton* chooseButton(const QString& name) const;
    int currentLine() const;
    void setCurrentLine(int index);
    QString positionText() const;
    QString commentText() const;

    // Called with the document's key whenever it was saved.
    void setRefreshRegister(std::function<void(qint64)> refresh);

    void reject() override;

protected:
    // The windows the header buttons open; tests answer them.
    virtual std::optional<qint64> chooseCustomerKey(qint64 current);
    virtual std::optional<qint64> choosePaymentMethodKey(qint64 current);
    virtual std::optional<qint64> chooseDeliveryAddressKey(qint64 customer, qint64 current);
    virtual std::optional<ImportRequest> askImport();

    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* makeAction(const QString& name, const QString& text, const QKeySequence& key, int group);
    void build();
    QLineEdit* lineField(const QString& field, bool alwaysReadOnly = false);
    QPlainTextEdit* memoField(const QString& field);
    QCheckBox* checkField(const QString& field, const QString& caption, bool alwaysReadOnly = false);
    QToolButton* makeChooseButton(const QString& name, const QString& hint);
    void showHeader();
    void applyState();
    void refreshLines(int current);
    void updateStatus();
    void fitColumns();

    void newLines();
    void editLine();
    void deleteLine();
    void moveLine(bool up);
    void lineComment();
    void importLines();
    void postDocument();
    void chooseCustomer();
    void choosePaymentMethod();
    void chooseDeliveryAddress();
    void generateDeliveryNote();
    bool closeEditor();

    Database& m_db;
    WindowDialogs m_dialogs;
    std::unique_ptr<QtLineEntryUi> m_ownLineUi;
    LineEntryUi* m_lineUi = nullptr;
    std::unique_ptr<InvoiceEditor> m_editor;
    bool m_showing = false;
    bool m_closed = false;

    QHash<QString, QWidget*> m_fields;
    QSet<QString> m_alwaysReadOnly;
    QHash<QAction*, int> m_groups;
    QHash<QString, QToolButton*> m_buttons;
    QLabel* m_number = nullptr;
    QLabel* m_kindName = nullptr;
    QLabel* m_stateIcon = nullptr;
    QLabel* m_emptyIcon = nullptr;
    QLabel* m_netTotal = nullptr;
    QLabel* m_grossTotal = nullptr;
    QLabel* m_honapLabel = nullptr;
    QLineEdit* m_issued = nullptr;
    QLineEdit* m_address = nullptr;
    QLineEdit* m_vatMode = nullptr;
    QDateEdit* m_dateSzallhat = nullptr;
    QDateEdit* m_dateFizhat = nullptr;
    QFrame* m_details = nullptr;
    QTableView* m_grid = nullptr;
    EditorLinesModel* m_lines = nullptr;
    QLabel* m_position = nullptr;
    QLabel* m_comment = nullptr;
};

} // namespace orvix::ui
