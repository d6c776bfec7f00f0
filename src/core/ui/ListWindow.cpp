#include "core/ui/ListWindow.h"

#include "core/ui/WindowSupport.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

namespace orvix::ui {

QTableView* makeListGrid(QWidget* parent, QAbstractItemModel* model, const QString& objectName) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(objectName);
    grid->setModel(model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionsClickable(true);
    grid->horizontalHeader()->setHighlightSections(false);
    return grid;
}

void fitColumnShares(QTableView* grid, const std::vector<double>& shares, int width) {
    for (size_t c = 0; c < shares.size(); ++c)
        grid->setColumnWidth(int(c), int(shares[c] * width));
}

void paintSortColumn(QStandardItemModel* model, int sortColumn) {
    for (int column = 0; column < model->columnCount(); ++column) {
        const QVariant colour = column == sortColumn ? QVariant(kSortColumnColor) : QVariant();
        for (int row = 0; row < model->rowCount(); ++row)
            if (QStandardItem* item = model->item(row, column))
                item->setData(colour, Qt::BackgroundRole);
        model->setHeaderData(column, Qt::Horizontal, colour, Qt::BackgroundRole);
    }
}

int findFetchedRow(QAbstractItemModel* model, int column, const std::function<bool(const QVariant&)>& matches) {
    for (int row = 0;; ++row) {
        while (row >= model->rowCount() && model->canFetchMore({}))
            model->fetchMore({});
        if (row >= model->rowCount())
            return -1;
        if (matches(model->data(model->index(row, column))))
            return row;
    }
}

QVariantList fetchedColumn(QAbstractItemModel* model, int column) {
    while (model->canFetchMore({}))
        model->fetchMore({});
    QVariantList values;
    for (int row = 0; row < model->rowCount(); ++row)
        values << model->data(model->index(row, column));
    return values;
}

bool startsSearch(const QString& typed) {
    if (typed.size() != 1)
        return false;
    const QChar c = typed.at(0).toLower();
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || QStringLiteral("áéíóöőúüű").contains(c);
}

// ---- SortedListModel ------------------------------------------------------------

void SortedListModel::setSortColumn(int column) {
    m_sortColumn = column;
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::BackgroundRole});
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

QVariant SortedListModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::BackgroundRole && index.column() == m_sortColumn)
        return kSortColumnColor;
    if (role == Qt::DisplayRole) {
        const QVariant v = QIdentityProxyModel::data(index, Qt::DisplayRole);
        return v.isNull() ? QString() : displayText(index, v);
    }
    return QIdentityProxyModel::data(index, role);
}

QVariant SortedListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (role == Qt::DisplayRole && section < titles.size())
            return titles.at(section);
        if (role == Qt::BackgroundRole && section == m_sortColumn)
            return kSortColumnColor;
    }
    return QIdentityProxyModel::headerData(section, orientation, role);
}

QString SortedListModel::displayText(const QModelIndex&, const QVariant& value) const {
    return value.toString().trimmed();
}

// ---- ListWindow -----------------------------------------------------------------

ListWindow::ListWindow(const QString& name, const QString& title, QWidget* parent, Dialogs* dialogs)
    : QDialog(parent), m_dialogs(this, dialogs) {
    setObjectName(name);
    setWindowTitle(title);
}

ListWindow::~ListWindow() = default;

QAction* ListWindow::action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

QAction* ListWindow::addListAction(const QString& name, const QString& text, const QKeySequence& key) {
    return addWindowAction(this, name, text, key);
}

QToolBar* ListWindow::makeToolBar(std::initializer_list<QList<QAction*>> groups) {
    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bool first = true;
    for (const QList<QAction*>& group : groups) {
        if (group.isEmpty())
            continue;
        if (!first)
            toolBar->addSeparator();
        toolBar->addActions(group);
        first = false;
    }
    return toolBar;
}

QTableView* ListWindow::makeGrid(QAbstractItemModel* model, const QString& objectName) {
    QTableView* grid = makeListGrid(this, model, objectName);
    grid->installEventFilter(this);
    if (!m_grid)
        m_grid = grid;
    return grid;
}

QHBoxLayout* ListWindow::makeSearchPanel(const QString& caption, const QString& placeholder) {
    auto* panelCaption = new QLabel(caption, this);
    panelCaption->setObjectName(QStringLiteral("lblPanel"));
    QFont bold = panelCaption->font();
    bold.setBold(true);
    panelCaption->setFont(bold);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("eKereso"));
    m_search->setPlaceholderText(placeholder);
    m_search->installEventFilter(this);
    auto* panel = new QHBoxLayout;
    panel->setContentsMargins(6, 4, 6, 4);
    panel->addWidget(panelCaption);
    panel->addWidget(m_search, 1);
    return panel;
}

QStatusBar* ListWindow::makeStatusBar() {
    return makePositionStatusBar(this, m_position);
}

void ListWindow::moveToRowNear(int row) {
    QAbstractItemModel* model = m_grid->model();
    const int next = std::min(row, model->rowCount() - 1);
    if (next >= 0)
        m_grid->setCurrentIndex(model->index(next, 0));
}

void ListWindow::showPosition(int count, int row) {
    if (m_position)
        m_position->setText(QStringLiteral("%1: %2").arg(count).arg(row + 1));
}

void ListWindow::layOut(QToolBar* toolBar, QLayout* panel, QWidget* header, QWidget* centre,
                        QStatusBar* statusBar) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (toolBar)
        layout->addWidget(toolBar);
    if (panel)
        layout->addLayout(panel);
    if (header)
        layout->addWidget(header);
    layout->addWidget(centre, 1);
    if (statusBar)
        layout->addWidget(statusBar);
}

void ListWindow::finishWindow(int width, int height) {
    resize(width, height);
    setupWindow(this, objectName(), true, false);
}

bool ListWindow::eventFilter(QObject* watched, QEvent* event) {
    if (m_search && m_grid && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == m_search && key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier) {
            m_grid->setFocus();
            return true;
        }
        if (watched == m_grid && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
            startsSearch(key->text())) {
            m_search->setFocus();
            m_search->setText(key->text().toLower());
            m_search->setCursorPosition(int(m_search->text().size()));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace orvix::ui
