// The window "Adatbázisok": the registered data folders of the ini file in a
// grid. Rows are added, edited, deleted and tested here; on closing, the list
// is written back to the ini in the grid's order (used from the next start).
#pragma once

#include "common/DatabaseList.h"

#include <QDialog>
#include <QString>
#include <vector>

class QAction;
class QLabel;
class QStandardItem;
class QStandardItemModel;
class QTableView;

namespace orvix::ui {

class Tfrm_AdatbazisokBDE : public QDialog {
    Q_OBJECT

public:
    // Model columns; the third one (the entry's number in the ini) is not shown.
    enum Column { ColNev = 0, ColUtvonal = 1, ColAdatbazis = 2 };

    // Reads the list from app().ini.
    explicit Tfrm_AdatbazisokBDE(QWidget* parent = nullptr);

    QStandardItemModel* model() const { return m_model; }
    QTableView* grid() const { return m_grid; }
    // The rows in the grid's current order.
    std::vector<DatabaseEntry> entries() const;
    int currentRow() const;
    void setCurrentRow(int row);
    // Sorts the rows by a shown column in Hungarian alphabetical order and
    // highlights that column; -1 while unsorted.
    void sortByColumn(int column);
    int sortColumn() const { return m_sortColumn; }
    // The status bar text: "row count: current row".
    QString positionText() const;

protected:
    // Opens the edit window "Adatbázis"; false when it was cancelled.
    virtual bool editEntry(QString& name, QString& folder, bool isNew);

    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* makeAction(const QString& name, const QString& text, const QKeySequence& key);
    void load();
    void newEntry();
    void editCurrent();
    void deleteCurrent();
    void testCurrent();
    // Writes the list into the ini and saves the file.
    void saveList();
    void applySort();
    void fitColumns();
    void updateState();
    QList<QStandardItem*> makeRow(const QString& name, const QString& folder, int position) const;

    QStandardItemModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QLabel* m_position = nullptr;
    QAction* m_aUj = nullptr;
    QAction* m_aSzerkeszt = nullptr;
    QAction* m_aTorol = nullptr;
    QAction* m_aTeszt = nullptr;
    QAction* m_aArchival = nullptr;
    QAction* m_aBezar = nullptr;
    int m_sortColumn = -1;
};

} // namespace orvix::ui

namespace orvix {
using ui::Tfrm_AdatbazisokBDE;
} // namespace orvix
