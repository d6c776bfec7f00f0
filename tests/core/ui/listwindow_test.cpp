// The base of the list windows: keys between the search box and the grid,
// the tool bar's groups, the sort column's colour and the column shares.
#include "core/ui/ListWindow.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolBar>
#include <QtTest>

using namespace orvix;
using namespace orvix::ui;

namespace {

class SampleList : public ListWindow {
public:
    explicit SampleList(bool withSearch)
        : ListWindow(QStringLiteral("SampleList"), QStringLiteral("Minta"), nullptr, nullptr) {
        model = new QStandardItemModel(3, 3, this);
        a = addListAction(QStringLiteral("aA"), QStringLiteral("A"));
        b = addListAction(QStringLiteral("aB"), QStringLiteral("B"));
        c = addListAction(QStringLiteral("aC"), QStringLiteral("C"));
        toolBar = makeToolBar({{a, b}, {}, {c}});
        QHBoxLayout* panel = withSearch ? makeSearchPanel(QStringLiteral("Lista"), QString()) : nullptr;
        makeGrid(model);
        layOut(toolBar, panel, nullptr, grid(), makeStatusBar());
    }
    using ListWindow::showPosition;

    QStandardItemModel* model = nullptr;
    QAction* a = nullptr;
    QAction* b = nullptr;
    QAction* c = nullptr;
    QToolBar* toolBar = nullptr;
};

} // namespace

class ListWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void searchStartingKeys_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("starts");
        QTest::newRow("digit") << "7" << true;
        QTest::newRow("small letter") << "k" << true;
        QTest::newRow("capital") << "K" << true;
        QTest::newRow("accented") << "ő" << true;
        QTest::newRow("accented capital") << "Ű" << true;
        QTest::newRow("space") << " " << false;
        QTest::newRow("punctuation") << "%" << false;
        QTest::newRow("foreign letter") << "ß" << false;
        QTest::newRow("two characters") << "ab" << false;
        QTest::newRow("nothing") << "" << false;
    }
    void searchStartingKeys() {
        QFETCH(QString, typed);
        QFETCH(bool, starts);
        QCOMPARE(startsSearch(typed), starts);
    }

    // A letter typed on the grid starts a new search with it; with Ctrl or
    // Alt it is left to the grid; Down in the search box goes to the grid.
    void keysBetweenSearchAndGrid() {
        SampleList w(true);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.searchBox()->setText(QStringLiteral("régi"));
        w.grid()->setFocus();
        QTest::keyClick(w.grid(), Qt::Key_K, Qt::ShiftModifier);
        QCOMPARE(w.searchBox()->text(), QStringLiteral("k"));
        QTRY_VERIFY(w.searchBox()->hasFocus());
        QTest::keyClicks(w.searchBox(), QStringLiteral("ov"));
        QCOMPARE(w.searchBox()->text(), QStringLiteral("kov"));
        QTest::keyClick(w.searchBox(), Qt::Key_Down);
        QTRY_VERIFY(w.grid()->hasFocus());
        QTest::keyClick(w.grid(), Qt::Key_X, Qt::ControlModifier);
        QTest::keyClick(w.grid(), Qt::Key_X, Qt::AltModifier);
        QCOMPARE(w.searchBox()->text(), QStringLiteral("kov"));
        QVERIFY(w.grid()->hasFocus());
    }

    // Without a search box the grid keeps its keys.
    void noSearchBox() {
        SampleList w(false);
        QVERIFY(!w.searchBox());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.grid()->setFocus();
        QTest::keyClick(w.grid(), Qt::Key_K);
        QVERIFY(w.grid()->hasFocus());
    }

    // Groups are separated once each; empty groups leave no separator.
    void toolBarGroups() {
        SampleList w(false);
        QStringList shown;
        for (QAction* action : w.toolBar->actions())
            shown << (action->isSeparator() ? QStringLiteral("|") : action->objectName());
        QCOMPARE(shown, (QStringList{"aA", "aB", "|", "aC"}));
        QCOMPARE(w.action(QStringLiteral("aC")), w.c);
        QCOMPARE(w.grid()->objectName(), QStringLiteral("DBGrid1"));
    }

    void positionText() {
        SampleList w(false);
        w.showPosition(120, 6);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblPozicio"))->text(), QStringLiteral("120: 7"));
        w.showPosition(0, -1);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblPozicio"))->text(), QStringLiteral("0: 0"));
    }

    // Moving the sort to another column clears the colour of the previous one.
    void sortColumnPainted() {
        QStandardItemModel model(2, 3);
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c)
                model.setItem(r, c, new QStandardItem(QStringLiteral("x")));
        paintSortColumn(&model, 1);
        paintSortColumn(&model, 2);
        for (int c = 0; c < 3; ++c) {
            const QVariant expected = c == 2 ? QVariant(kSortColumnColor) : QVariant();
            QCOMPARE(model.item(1, c)->data(Qt::BackgroundRole), expected);
            QCOMPARE(model.headerData(c, Qt::Horizontal, Qt::BackgroundRole), expected);
        }
        paintSortColumn(&model, -1);
        QCOMPARE(model.item(0, 2)->data(Qt::BackgroundRole), QVariant());
    }

    // Padding is dropped, an empty value is an empty text, the sort column
    // and its title are coloured.
    void sortedListModel() {
        QStandardItemModel source(1, 2);
        source.setItem(0, 0, new QStandardItem(QStringLiteral("Kovács   ")));
        source.setItem(0, 1, new QStandardItem());
        SortedListModel m;
        m.setSourceModel(&source);
        m.titles = {QStringLiteral("név"), QStringLiteral("város")};
        m.setSortColumn(1);
        QCOMPARE(m.data(m.index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("Kovács"));
        QCOMPARE(m.data(m.index(0, 1), Qt::DisplayRole), QVariant(QString()));
        QCOMPARE(m.data(m.index(0, 1), Qt::BackgroundRole), QVariant(kSortColumnColor));
        QCOMPARE(m.data(m.index(0, 0), Qt::BackgroundRole), QVariant());
        QCOMPARE(m.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("név"));
        QCOMPARE(m.headerData(1, Qt::Horizontal, Qt::BackgroundRole), QVariant(kSortColumnColor));
    }

    void columnShares() {
        QStandardItemModel model(1, 4);
        QTableView grid;
        grid.setModel(&model);
        fitColumnShares(&grid, {0.5, 0.25}, 400);
        QCOMPARE(grid.columnWidth(0), 200);
        QCOMPARE(grid.columnWidth(1), 100);
    }
};

QTEST_MAIN(ListWindowTest)
#include "listwindow_test.moc"
