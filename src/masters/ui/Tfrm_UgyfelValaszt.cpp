#include "masters/ui/Tfrm_UgyfelValaszt.h"

#include "common/Database.h"
#include "core/TextUtil.h"
#include "masters/Customers.h"
#include "masters/ui/Tfrm_Ugyfel.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTableView>
#include <QToolBar>

namespace orvix::ui {

// The discount column in the number format.
class CustomerChooserModel : public SortedListModel {
public:
    using SortedListModel::SortedListModel;

protected:
    QString displayText(const QModelIndex& index, const QVariant& value) const override {
        if (index.column() == Tfrm_UgyfelValaszt::ColKedvezmeny)
            return varText(value);
        return SortedListModel::displayText(index, value);
    }
};

namespace {

const QString kWindowName = QStringLiteral("Tfrm_UgyfelValaszt");
constexpr int kKeyColumn = Tfrm_UgyfelValaszt::ColumnCount; // the hidden key column
const std::vector<double> kColumnShares = {0.33, 0.1, 0.12, 0.1, 0.15};

} // namespace

Tfrm_UgyfelValaszt::Tfrm_UgyfelValaszt(Database& db, qint64 preset, QWidget* parent, Dialogs* dialogs)
    : ListWindow(kWindowName, QStringLiteral("Ügyfél választása"), parent, dialogs), m_db(db) {
    m_aKereso =
        addListAction(QStringLiteral("aKereso"), QStringLiteral("Kereső"), QKeySequence(Qt::CTRL | Qt::Key_F));
    m_aElfogad = addListAction(QStringLiteral("aElfogad"), QStringLiteral("Elfogad"));
    m_aElfogad->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    m_aUj = addListAction(QStringLiteral("aUj"), QStringLiteral("Új"), QKeySequence(Qt::Key_Insert));
    m_aSzerkeszt =
        addListAction(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QKeySequence(Qt::Key_F2));
    m_aTorol = addListAction(QStringLiteral("aTorol"), QStringLiteral("Töröl"),
                             QKeySequence(Qt::CTRL | Qt::Key_Delete));
    m_aBezar = addListAction(QStringLiteral("aBezar"), QStringLiteral("Bezár"), QKeySequence(Qt::Key_Escape));
    QToolBar* toolBar = makeToolBar({{m_aElfogad, m_aKereso}, {m_aUj, m_aSzerkeszt, m_aTorol}, {m_aBezar}});

    QHBoxLayout* panel = makeSearchPanel(QStringLiteral("Vevők  "),
                                         QStringLiteral("név, telefon, mobil, e-mail, cím vagy kapcsolattartó részlete"));

    m_query = new QSqlQueryModel(this);
    m_model = new CustomerChooserModel(this);
    m_model->setSourceModel(m_query);
    m_model->titles = {QStringLiteral("név"),   QStringLiteral("kedv%"), QStringLiteral("ügyfélkód"),
                       QStringLiteral("irsz."), QStringLiteral("város"), QStringLiteral("cím")};
    m_model->setSortColumn(m_sortColumn);

    QTableView* list = makeGrid(m_model);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->horizontalHeader()->setStretchLastSection(true);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    list->addActions({m_aElfogad, m_aUj, m_aSzerkeszt, m_aTorol});
    list->viewport()->installEventFilter(this);

    layOut(toolBar, panel, nullptr, list, makeStatusBar());

    connect(m_aKereso, &QAction::triggered, this, [this] {
        searchBox()->setFocus();
        searchBox()->selectAll();
    });
    connect(m_aElfogad, &QAction::triggered, this, &Tfrm_UgyfelValaszt::acceptCurrent);
    connect(m_aUj, &QAction::triggered, this, &Tfrm_UgyfelValaszt::newCustomer);
    connect(m_aSzerkeszt, &QAction::triggered, this, &Tfrm_UgyfelValaszt::editCurrent);
    connect(m_aTorol, &QAction::triggered, this, &Tfrm_UgyfelValaszt::deleteCurrent);
    connect(m_aBezar, &QAction::triggered, this, &QDialog::reject);
    connect(list, &QTableView::doubleClicked, this, [this] { m_aElfogad->trigger(); });
    connect(list->horizontalHeader(), &QHeaderView::sectionClicked, this, &Tfrm_UgyfelValaszt::sortByColumn);
    connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &Tfrm_UgyfelValaszt::updateState);
    connect(searchBox(), &QLineEdit::textChanged, this, [this] { reload(-1); });

    reload(preset);
    finishWindow(720, 440);
    list->setFocus();
}

Tfrm_UgyfelValaszt::~Tfrm_UgyfelValaszt() = default;

void Tfrm_UgyfelValaszt::reload(qint64 current) {
    const QString sortField = customerChooserFields().value(m_sortColumn);
    const CustomerListQuery list = customerChooserQuery(searchBox()->text(), sortField);
    const CustomerListQuery count = customerChooserCountQuery(searchBox()->text());
    try {
        m_count = int(m_db.queryInt(count.sql, 0, count.params));
        QSqlQuery q(m_db.sql());
        q.setForwardOnly(false);
        if (!q.prepare(list.sql))
            throw DbError(q.lastError().text());
        for (const QVariant& p : list.params)
            q.addBindValue(p);
        if (!q.exec())
            throw DbError(q.lastError().text());
        m_query->setQuery(std::move(q));
    } catch (const DbError& e) {
        m_count = 0;
        m_query->clear();
        dialogs().error(e.text());
    }
    grid()->setColumnHidden(kKeyColumn, true);
    fitColumns();
    if (current < 0 || !setCurrentKey(current)) {
        if (m_model->rowCount() > 0)
            grid()->setCurrentIndex(m_model->index(0, ColNev));
    }
    updateState();
}

qint64 Tfrm_UgyfelValaszt::currentKey() const {
    const QModelIndex index = grid()->currentIndex();
    if (!index.isValid())
        return -1;
    return m_query->data(m_query->index(index.row(), kKeyColumn)).toLongLong();
}

bool Tfrm_UgyfelValaszt::setCurrentKey(qint64 key) {
    const int row = findFetchedRow(m_query, kKeyColumn, [key](const QVariant& v) { return v.toLongLong() == key; });
    if (row < 0)
        return false;
    grid()->setCurrentIndex(m_model->index(row, ColNev));
    grid()->scrollTo(grid()->currentIndex(), QAbstractItemView::PositionAtCenter);
    return true;
}

QList<qint64> Tfrm_UgyfelValaszt::shownKeys() const {
    QList<qint64> keys;
    for (const QVariant& v : fetchedColumn(m_query, kKeyColumn))
        keys << v.toLongLong();
    return keys;
}

void Tfrm_UgyfelValaszt::sortByColumn(int column) {
    if (column < 0 || column >= ColumnCount)
        return;
    const qint64 current = currentKey();
    m_sortColumn = column;
    m_model->setSortColumn(column);
    reload(current);
    searchBox()->setFocus();
}

QString Tfrm_UgyfelValaszt::positionText() const {
    return QStringLiteral("%1: %2").arg(m_count).arg(grid()->currentIndex().row() + 1);
}

void Tfrm_UgyfelValaszt::updateState() {
    const bool hasRow = grid()->currentIndex().isValid();
    m_aElfogad->setEnabled(hasRow);
    m_aSzerkeszt->setEnabled(hasRow);
    m_aTorol->setEnabled(hasRow);
    showPosition(m_count, grid()->currentIndex().row());
}

void Tfrm_UgyfelValaszt::fitColumns() {
    // The last column takes what is left.
    fitColumnShares(grid(), kColumnShares, std::max(0, grid()->viewport()->width() - 40));
}

bool Tfrm_UgyfelValaszt::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid()->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    return ListWindow::eventFilter(watched, event);
}

void Tfrm_UgyfelValaszt::acceptCurrent() {
    const QModelIndex index = grid()->currentIndex();
    if (!index.isValid())
        return;
    m_choice.ugyfel = currentKey();
    m_choice.ugyfel_nev = m_query->data(m_query->index(index.row(), ColNev)).toString().trimmed();
    m_choice.kedvezmeny = varFloat(m_query->data(m_query->index(index.row(), ColKedvezmeny)));
    accept();
}

std::optional<qint64> Tfrm_UgyfelValaszt::editCustomerRow(std::optional<qint64> key) {
    Tfrm_Ugyfel window(m_db, key, this, givenDialogs());
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.savedKey();
}

void Tfrm_UgyfelValaszt::newCustomer() {
    if (const std::optional<qint64> saved = editCustomerRow(std::nullopt))
        reload(*saved);
}

void Tfrm_UgyfelValaszt::editCurrent() {
    const qint64 key = currentKey();
    if (key < 0)
        return;
    editCustomerRow(key);
    reload(key);
}

void Tfrm_UgyfelValaszt::deleteCurrent() {
    const qint64 key = currentKey();
    if (key < 0)
        return;
    const int row = grid()->currentIndex().row();
    if (!orvix::softDeleteCustomer(m_db, dialogs(), key, kDeleteCustomerQuestion))
        return;
    reload(-1);
    moveToRowNear(row);
}

std::optional<CustomerChoice> chooseCustomer(QWidget* parent, Database& db, qint64 preset) {
    Tfrm_UgyfelValaszt window(db, preset, parent);
    if (window.exec() != QDialog::Accepted || window.choice().ugyfel < 0)
        return std::nullopt;
    return window.choice();
}

} // namespace orvix::ui
