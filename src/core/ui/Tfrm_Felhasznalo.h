// "Felhasználók adatai": the users of the data folder in a grid (login name,
// may edit master data, administrator), added, edited and deleted here. Only
// an administrator may open it (openUsersWindow checks that).
#pragma once

#include "core/Users.h"
#include "core/ui/ListWindow.h"

#include <QString>
#include <memory>

class QStandardItemModel;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

class Tfrm_Felhasznalo : public ListWindow {
    Q_OBJECT

public:
    enum Column { ColFelhasznalo = 0, ColIras = 1, ColRendszergazda = 2 };
    // The width the first column leaves to the two flag columns.
    static constexpr int kFlagColumnsWidth = 194;

    // Messages go to `dialogs`, or to the program's own boxes when it is null.
    explicit Tfrm_Felhasznalo(Database& db, QWidget* parent = nullptr, Dialogs* dialogs = nullptr);
    ~Tfrm_Felhasznalo() override;

    QStandardItemModel* model() const { return m_model; }
    int currentRow() const;
    void setCurrentRow(int row);
    // The login name of the current row; empty when there is none.
    QString currentName() const;
    // Reorders the grid by a column (then by name) and highlights that column.
    void sortByColumn(int column);
    int sortColumn() const { return m_sortColumn; }
    // The status bar text: "row count: current row".
    QString positionText() const;

protected:
    // Opens the edit window on `name` (empty: a new user); the stored name,
    // or empty when the window was closed without OK.
    virtual QString editUser(const QString& name);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Reads the users again and moves to `current` (or to row `fallbackRow`).
    void reload(const QString& current, int fallbackRow = 0);
    void newUser();
    void editCurrent();
    void deleteCurrent();
    void fitColumns();
    void updateState();

    Database& m_db;
    QStandardItemModel* m_model = nullptr;
    QAction* m_aUj = nullptr;
    QAction* m_aSzerkeszt = nullptr;
    QAction* m_aTorol = nullptr;
    QAction* m_aBezar = nullptr;
    int m_sortColumn = ColFelhasznalo;
};

// "Felhasználók": opens the users window for an administrator; anyone else
// gets "Nincs jogosultság a művelethez.".
void openUsersWindow(QWidget* parent, Database& db);

} // namespace orvix::ui

namespace orvix {
using ui::openUsersWindow;
using ui::Tfrm_Felhasznalo;
} // namespace orvix
