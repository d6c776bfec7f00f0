// "Kassza": the cash book of one desk for one period, with the running
// balance of every entry, the hand entry ("Új sor"), the comment change
// ("Megjegyzés") and the change of the period ("Időszak"). The voucher
// print and the cash report are shown, not yet available.
#pragma once

#include "cash/CashBook.h"
#include "core/Dialogs.h"
#include "core/ui/WindowDialogs.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <vector>

class QAction;
class QLabel;
class QTableView;

namespace orvix {
class Database;
}

namespace orvix::ui {

class CashBookModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { ColCassa = 0, ColDatum, ColTipus, ColSzla, ColMozgTipus, ColOsszeg, ColZaro, ColMegjegyzes,
                  ColumnCount };
    using QAbstractTableModel::QAbstractTableModel;
    void setRows(std::vector<CashBookRow> rows);
    const std::vector<CashBookRow>& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Colours of an entry with a negative amount, and of the first column.
    static QColor negativeText() { return QColor(128, 0, 0); }
    static QColor negativeBackground() { return QColor(255, 220, 225); }
    static QColor negativeSelectedText() { return QColor(Qt::yellow); }
    static QColor markColumn() { return QColor(255, 255, 185); }

private:
    std::vector<CashBookRow> m_rows;
};

class Tfrm_Cassa : public QDialog, private CashTypeChooser {
    Q_OBJECT

public:
    Tfrm_Cassa(Database& db, qint64 desk, const Period& period, QWidget* parent = nullptr,
               Dialogs* dialogs = nullptr);

    qint64 desk() const { return m_desk; }
    Period period() const { return m_period; }
    CashBookModel* model() const { return m_model; }
    QTableView* grid() const { return m_grid; }
    QAction* action(const QString& objectName) const;
    QLabel* deskLabel() const { return m_deskLabel; }
    QLabel* periodLabel() const { return m_periodLabel; }
    QString positionText() const;
    int currentRow() const;

    void reload(int row = -1);

protected:
    // The movement-type window in choose mode; tests answer it.
    std::optional<CashMovementTypeChoice> chooseCashType() override;
    void done(int result) override;

private:
    void newEntry();
    void changeComment();
    void changePeriod();
    void updateStatus();

    Database& m_db;
    WindowDialogs m_dialogs;
    qint64 m_desk;
    Period m_period;
    CashBookModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QLabel* m_deskLabel = nullptr;
    QLabel* m_periodLabel = nullptr;
    QLabel* m_position = nullptr;
};

// "Kassza" of the main window: the period (both dates today), the desk, then
// the cash book. Nothing opens when the desk choice is cancelled.
void openCashBook(QWidget* parent, Database& db, Dialogs& dialogs);

} // namespace orvix::ui
