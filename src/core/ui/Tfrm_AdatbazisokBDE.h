// The window "Adatbázisok": the registered data folders of the ini file in a
// grid. Rows are added, edited, deleted and tested here; on closing, the list
// is written back to the ini in the grid's order (used from the next start).
#pragma once

#include "common/DatabaseList.h"
#include "core/ui/ListWindow.h"

#include <QString>
#include <vector>

class QStandardItem;
class QStandardItemModel;

namespace orvix::ui {

class Tfrm_AdatbazisokBDE : public ListWindow {
    Q_OBJECT

public:
    // Model columns; the third one (the entry's number in the ini) is not shown.
    enum Column { ColNev = 0, ColUtvonal = 1, ColAdatbazis = 2 };

    // Reads the list from app().ini.
    explicit Tfrm_AdatbazisokBDE(QWidget* parent = nullptr);

    QStandardItemModel* model() const { return m_model; }
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
    // The file choosers of the backup and the restore; empty when cancelled.
    virtual QString chooseBackupFile(const QString& offered);
    virtual QString chooseArchiveFile();
    virtual QString chooseRestoreFolder();

    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    void newEntry();
    void editCurrent();
    void deleteCurrent();
    void testCurrent();
    // "Bizt.mentés": the selected row's folder into a ZIP archive.
    void backupCurrent();
    // "Visszaállítás archívumból": an archive into a new, empty folder,
    // offered for the list afterwards.
    void restoreFromArchive();
    // Writes the list into the ini and saves the file.
    void saveList();
    void applySort();
    void fitColumns();
    void updateState();
    QList<QStandardItem*> makeRow(const QString& name, const QString& folder, int position) const;

    QStandardItemModel* m_model = nullptr;
    QAction* m_aUj = nullptr;
    QAction* m_aRestore = nullptr;
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
