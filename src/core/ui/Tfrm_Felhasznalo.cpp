#include "core/ui/Tfrm_Felhasznalo.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Rights.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/Tfrm_FelhasznaloSzerkeszt.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <algorithm>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_Felhasznalo");
constexpr int kFlagColumnWidth = 90;

UserOrder orderOf(int column) {
    switch (column) {
    case Tfrm_Felhasznalo::ColIras:
        return UserOrder::Iras;
    case Tfrm_Felhasznalo::ColRendszergazda:
        return UserOrder::Rendszergazda;
    default:
        return UserOrder::Name;
    }
}

// A flag drawn as a checked or an empty mark, with "igen"/"nem" as its hint.
QStandardItem* flagItem(bool value) {
    auto* item = new QStandardItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setData(value ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
    item->setData(value ? QStringLiteral("igen") : QStringLiteral("nem"), Qt::ToolTipRole);
    return item;
}
} // namespace

Tfrm_Felhasznalo::Tfrm_Felhasznalo(Database& db, QWidget* parent, Dialogs* dialogs)
    : ListWindow(kWindowName, QStringLiteral("Felhasználók adatai"), parent, dialogs), m_db(db) {
    m_model = new QStandardItemModel(0, 3, this);
    m_model->setHorizontalHeaderLabels(
        {QStringLiteral("Felhasználó"), QStringLiteral("Írás"), QStringLiteral("Rendszergazda")});
    QTableView* list = makeGrid(m_model);
    list->setColumnWidth(ColIras, kFlagColumnWidth);
    list->setColumnWidth(ColRendszergazda, kFlagColumnWidth);

    m_aUj =
        addListAction(QStringLiteral("aUj"), QStringLiteral("Új Felhasználó"), QKeySequence(Qt::Key_Insert));
    m_aSzerkeszt =
        addListAction(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QKeySequence(Qt::Key_F2));
    m_aTorol = addListAction(QStringLiteral("aTorol"), QStringLiteral("Töröl"),
                             QKeySequence(Qt::CTRL | Qt::Key_Delete));
    m_aBezar = addListAction(QStringLiteral("aBezar"), QStringLiteral("Bezár"), QKeySequence(Qt::Key_Escape));

    layOut(makeToolBar({{m_aUj, m_aSzerkeszt, m_aTorol}, {m_aBezar}}), nullptr, nullptr, list,
           makeStatusBar());

    connect(m_aUj, &QAction::triggered, this, &Tfrm_Felhasznalo::newUser);
    connect(m_aSzerkeszt, &QAction::triggered, this, &Tfrm_Felhasznalo::editCurrent);
    connect(m_aTorol, &QAction::triggered, this, &Tfrm_Felhasznalo::deleteCurrent);
    connect(m_aBezar, &QAction::triggered, this, &QDialog::reject);
    connect(list, &QTableView::doubleClicked, this, [this] { m_aSzerkeszt->trigger(); });
    connect(list->horizontalHeader(), &QHeaderView::sectionClicked, this, &Tfrm_Felhasznalo::sortByColumn);
    connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &Tfrm_Felhasznalo::updateState);

    reload(QString());
    // Enter in the grid edits the current user.
    finishWindow(420, 320);
}

Tfrm_Felhasznalo::~Tfrm_Felhasznalo() = default;

void Tfrm_Felhasznalo::reload(const QString& current, int fallbackRow) {
    std::vector<UserRow> users;
    try {
        users = listUsers(m_db, orderOf(m_sortColumn));
    } catch (const DbError& e) {
        dialogs().error(e.text());
    }
    m_model->removeRows(0, m_model->rowCount());
    int currentRow = -1;
    for (const UserRow& u : users) {
        if (u.name == current)
            currentRow = m_model->rowCount();
        m_model->appendRow({new QStandardItem(u.name), flagItem(u.iras), flagItem(u.rendszergazda)});
    }
    paintSortColumn(m_model, m_sortColumn);
    if (currentRow < 0)
        currentRow = std::min(fallbackRow, m_model->rowCount() - 1);
    setCurrentRow(currentRow);
    updateState();
}

int Tfrm_Felhasznalo::currentRow() const {
    return grid()->currentIndex().row();
}

void Tfrm_Felhasznalo::setCurrentRow(int row) {
    if (row < 0 || row >= m_model->rowCount())
        return;
    grid()->setCurrentIndex(m_model->index(row, ColFelhasznalo));
}

QString Tfrm_Felhasznalo::currentName() const {
    const int row = currentRow();
    return row >= 0 ? m_model->item(row, ColFelhasznalo)->text() : QString();
}

void Tfrm_Felhasznalo::sortByColumn(int column) {
    if (column < ColFelhasznalo || column > ColRendszergazda)
        return;
    m_sortColumn = column;
    reload(currentName());
}

QString Tfrm_Felhasznalo::positionText() const {
    return QStringLiteral("%1: %2").arg(m_model->rowCount()).arg(currentRow() + 1);
}

void Tfrm_Felhasznalo::updateState() {
    const bool hasRow = currentRow() >= 0;
    m_aSzerkeszt->setEnabled(hasRow);
    m_aTorol->setEnabled(hasRow);
    positionLabel()->setText(positionText());
}

void Tfrm_Felhasznalo::fitColumns() {
    grid()->setColumnWidth(ColFelhasznalo, std::max(0, grid()->width() - kFlagColumnsWidth));
}

bool Tfrm_Felhasznalo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid()) {
        if (event->type() == QEvent::Resize) {
            fitColumns();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_aSzerkeszt->trigger();
                return true;
            }
        }
    }
    return ListWindow::eventFilter(watched, event);
}

QString Tfrm_Felhasznalo::editUser(const QString& name) {
    Tfrm_FelhasznaloSzerkeszt window(m_db, name, this, givenDialogs());
    if (window.exec() != QDialog::Accepted)
        return {};
    return window.savedName();
}

void Tfrm_Felhasznalo::newUser() {
    const QString saved = editUser(QString());
    if (!saved.isEmpty())
        reload(saved);
}

void Tfrm_Felhasznalo::editCurrent() {
    const QString name = currentName();
    if (name.isEmpty())
        return;
    const QString saved = editUser(name);
    if (!saved.isEmpty())
        reload(saved);
}

void Tfrm_Felhasznalo::deleteCurrent() {
    const int row = currentRow();
    if (row < 0)
        return;
    if (deleteUser(m_db, dialogs(), currentName()))
        reload(QString(), row);
}

void openUsersWindow(QWidget* parent, Database& db) {
    QtDialogs dialogs(parent);
    if (!checkRight(app().user, Right::Administrator, dialogs))
        return;
    Tfrm_Felhasznalo window(db, parent);
    window.exec();
}

} // namespace orvix::ui
