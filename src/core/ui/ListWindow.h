// What the list windows share: a grid over a model, a tool bar of actions,
// a search box above the grid, the record-position status bar, the sort
// column painted in the highlight colour, and the window's messages (the
// caller's Dialogs, or the program's own boxes when none is given).
#pragma once

#include "core/Dialogs.h"
#include "core/ListLook.h"
#include "core/ui/WindowDialogs.h"

#include <QDialog>
#include <QIdentityProxyModel>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <vector>

class QAbstractItemModel;
class QAction;
class QHBoxLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QStandardItemModel;
class QStatusBar;
class QTableView;
class QToolBar;

namespace orvix::ui {

// The grid of a list: whole rows selected one at a time, nothing edited in
// place, no row numbers, column titles that can be clicked (to sort) but are
// not highlighted with the selection.
QTableView* makeListGrid(QWidget* parent, QAbstractItemModel* model,
                         const QString& objectName = QStringLiteral("DBGrid1"));

// Sets the widths of the first shares.size() columns to their share of width.
void fitColumnShares(QTableView* grid, const std::vector<double>& shares, int width);

// Paints column `sortColumn` of every row and its title in kSortColumnColor
// and clears the colour of the other columns.
void paintSortColumn(QStandardItemModel* model, int sortColumn);

// The first row of a model whose value in `column` satisfies matches,
// fetching further rows as needed; -1 when there is none.
int findFetchedRow(QAbstractItemModel* model, int column, const std::function<bool(const QVariant&)>& matches);
// Every value of `column`, all rows fetched.
QVariantList fetchedColumn(QAbstractItemModel* model, int column);

// A character that, typed on a grid, starts a new search with it: a digit, a
// letter a to z or a Hungarian accented letter, in either case.
bool startsSearch(const QString& typed);

// The rows of a query as a list shows them: the column titles, texts without
// their padding, empty values as empty texts, and the sort column (cells and
// title) in the highlight colour.
class SortedListModel : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QStringList titles;

    int sortColumn() const { return m_sortColumn; }
    void setSortColumn(int column);

    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

protected:
    // The shown text of a value that is not empty; the trimmed text unless a
    // list formats a column its own way.
    virtual QString displayText(const QModelIndex& index, const QVariant& value) const;

private:
    int m_sortColumn = 0;
};

class ListWindow : public QDialog {
    Q_OBJECT

public:
    QTableView* grid() const { return m_grid; }
    QLineEdit* searchBox() const { return m_search; }
    QAction* action(const QString& objectName) const;

protected:
    // name: the window's object name, under which it keeps its place and
    // size. Messages go to `dialogs`, or to the program's own boxes when it
    // is null.
    ListWindow(const QString& name, const QString& title, QWidget* parent, Dialogs* dialogs);
    ~ListWindow() override;

    Dialogs& dialogs() const { return *m_dialogs; }
    // The Dialogs the caller gave (null: the program's own boxes), to be
    // handed on to the windows opened from this one.
    Dialogs* givenDialogs() const { return m_dialogs.given(); }

    // An action with its shortcut working anywhere in the window.
    QAction* addListAction(const QString& name, const QString& text, const QKeySequence& key = {});
    // The tool bar ("ToolBar1") with the groups of actions, separated.
    QToolBar* makeToolBar(std::initializer_list<QList<QAction*>> groups);
    // A grid ("DBGrid1" unless named otherwise) whose events the window
    // watches; the first one made is grid().
    QTableView* makeGrid(QAbstractItemModel* model, const QString& objectName = QStringLiteral("DBGrid1"));
    // The panel above the grid: the list's caption in bold ("lblPanel") and
    // the search box ("eKereso") filling the rest. Down in the search box
    // moves to the grid; a letter or digit typed on the grid starts a new
    // search with it.
    QHBoxLayout* makeSearchPanel(const QString& caption, const QString& placeholder);
    // The status bar ("StatusBar1") with the record position ("lblPozicio").
    QStatusBar* makeStatusBar();
    // Makes the first cell of `row` current, or of the last row when the list
    // is shorter (after a row was deleted); nothing when the list is empty.
    void moveToRowNear(int row);
    // "count: current row" in the status bar (row -1: none, shown as 0).
    void showPosition(int count, int row);
    QLabel* positionLabel() const { return m_position; }
    // Top to bottom, without margins: the tool bar, the panel (a layout or a
    // widget; either may be null), the centre stretched, the status bar.
    void layOut(QToolBar* toolBar, QLayout* panel, QWidget* header, QWidget* centre, QStatusBar* statusBar);
    // Gives the window its default size, then the remembered place and size.
    void finishWindow(int width, int height);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowDialogs m_dialogs;
    QTableView* m_grid = nullptr;
    QLineEdit* m_search = nullptr;
    QLabel* m_position = nullptr;
};

} // namespace orvix::ui
