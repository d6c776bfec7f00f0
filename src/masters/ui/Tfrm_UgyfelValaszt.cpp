#include "masters/ui/Tfrm_UgyfelValaszt.h"

#include "common/Database.h"
#include "core/TextUtil.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/WindowSupport.h"
#include "masters/Customers.h"
#include "masters/ui/Tfrm_Ugyfel.h"

#include <QAction>
#include <QColor>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace orvix::ui {

// The query's rows with Hungarian column titles and the sort column painted
// with the highlight colour.
class SortColumnModel : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QStringList titles;
    int sortColumn = 0;

    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::BackgroundRole && index.column() == sortColumn)
            return QColor(255, 255, 185);
        if (role == Qt::DisplayRole || role == Qt::EditRole) {
            const QVariant v = QIdentityProxyModel::data(index, Qt::DisplayRole);
            if (v.isNull())
                return QString();
            if (index.column() == Tfrm_UgyfelValaszt::ColKedvezmeny && role == Qt::DisplayRole)
                return varText(v);
            if (role == Qt::DisplayRole)
                return v.toString().trimmed();
            return v;
        }
        return QIdentityProxyModel::data(index, role);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal) {
            if (role == Qt::DisplayRole && section < titles.size())
                return titles.at(section);
            if (role == Qt::BackgroundRole && section == sortColumn)
                return QColor(255, 255, 185);
        }
        return QIdentityProxyModel::headerData(section, orientation, role);
    }

    void setSortColumn(int column) {
        sortColumn = column;
        if (rowCount() > 0)
            Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::BackgroundRole});
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    }
};

namespace {

const QString kWindowName = QStringLiteral("Tfrm_UgyfelValaszt");
constexpr int kKeyColumn = Tfrm_UgyfelValaszt::ColumnCount; // the hidden key column
const double kColumnShares[] = {0.33, 0.1, 0.12, 0.1, 0.15, 0.2};

// A key that, typed on the grid, starts a new search: a digit, a letter a to
// z or a Hungarian accented letter (after lower-casing).
bool startsSearch(const QString& text) {
    if (text.size() != 1)
        return false;
    const QChar c = text.at(0).toLower();
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || QStringLiteral("áéíóöőúüű").contains(c);
}

} // namespace

Tfrm_UgyfelValaszt::Tfrm_UgyfelValaszt(Database& db, qint64 preset, QWidget* parent, Dialogs* dialogs)
    : QDialog(parent), m_db(db) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Ügyfél választása"));
    if (!dialogs) {
        m_ownDialogs = std::make_unique<QtDialogs>(this);
        dialogs = m_ownDialogs.get();
    }
    m_dialogs = dialogs;

    m_aKereso =
        makeAction(QStringLiteral("aKereso"), QStringLiteral("Kereső"), QKeySequence(Qt::CTRL | Qt::Key_F));
    m_aElfogad =
        makeAction(QStringLiteral("aElfogad"), QStringLiteral("Elfogad"), QKeySequence(Qt::Key_Return));
    m_aElfogad->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    m_aUj = makeAction(QStringLiteral("aUj"), QStringLiteral("Új"), QKeySequence(Qt::Key_Insert));
    m_aSzerkeszt =
        makeAction(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QKeySequence(Qt::Key_F2));
    m_aTorol = makeAction(QStringLiteral("aTorol"), QStringLiteral("Töröl"),
                          QKeySequence(Qt::CTRL | Qt::Key_Delete));
    m_aBezar = makeAction(QStringLiteral("aBezar"), QStringLiteral("Bezár"), QKeySequence(Qt::Key_Escape));

    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolBar->addActions({m_aElfogad, m_aKereso});
    toolBar->addSeparator();
    toolBar->addActions({m_aUj, m_aSzerkeszt, m_aTorol});
    toolBar->addSeparator();
    toolBar->addAction(m_aBezar);

    auto* panelCaption = new QLabel(QStringLiteral("Vevők  "), this);
    panelCaption->setObjectName(QStringLiteral("lblPanel"));
    QFont bold = panelCaption->font();
    bold.setBold(true);
    panelCaption->setFont(bold);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("eKereso"));
    m_search->setPlaceholderText(
        QStringLiteral("név, telefon, mobil, e-mail, cím vagy kapcsolattartó részlete"));
    m_search->installEventFilter(this);
    auto* panel = new QHBoxLayout;
    panel->setContentsMargins(6, 4, 6, 4);
    panel->addWidget(panelCaption);
    panel->addWidget(m_search, 1);

    m_query = new QSqlQueryModel(this);
    m_model = new SortColumnModel(this);
    m_model->setSourceModel(m_query);
    m_model->titles = {QStringLiteral("név"),   QStringLiteral("kedv%"), QStringLiteral("ügyfélkód"),
                       QStringLiteral("irsz."), QStringLiteral("város"), QStringLiteral("cím")};

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->horizontalHeader()->setSectionsClickable(true);
    m_grid->horizontalHeader()->setHighlightSections(false);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_grid->addActions({m_aElfogad, m_aUj, m_aSzerkeszt, m_aTorol});
    m_grid->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);

    QStatusBar* statusBar = makePositionStatusBar(this, m_position);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addLayout(panel);
    layout->addWidget(m_grid, 1);
    layout->addWidget(statusBar);

    connect(m_aKereso, &QAction::triggered, this, [this] {
        m_search->setFocus();
        m_search->selectAll();
    });
    connect(m_aElfogad, &QAction::triggered, this, &Tfrm_UgyfelValaszt::acceptCurrent);
    connect(m_aUj, &QAction::triggered, this, &Tfrm_UgyfelValaszt::newCustomer);
    connect(m_aSzerkeszt, &QAction::triggered, this, &Tfrm_UgyfelValaszt::editCurrent);
    connect(m_aTorol, &QAction::triggered, this, &Tfrm_UgyfelValaszt::deleteCurrent);
    connect(m_aBezar, &QAction::triggered, this, &QDialog::reject);
    connect(m_grid, &QTableView::doubleClicked, this, [this] { m_aElfogad->trigger(); });
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &Tfrm_UgyfelValaszt::sortByColumn);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &Tfrm_UgyfelValaszt::updateState);
    connect(m_search, &QLineEdit::textChanged, this, [this] { reload(-1); });

    reload(preset);
    resize(720, 440);
    setupWindow(this, kWindowName, true, false);
    m_grid->setFocus();
}

Tfrm_UgyfelValaszt::~Tfrm_UgyfelValaszt() = default;

QAction* Tfrm_UgyfelValaszt::makeAction(const QString& name, const QString& text, const QKeySequence& key) {
    return addWindowAction(this, name, text, key);
}

QAction* Tfrm_UgyfelValaszt::action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

void Tfrm_UgyfelValaszt::reload(qint64 current) {
    const QString sortField = customerChooserFields().value(m_sortColumn);
    const CustomerListQuery list = customerChooserQuery(m_search->text(), sortField);
    const CustomerListQuery count = customerChooserCountQuery(m_search->text());
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
        m_dialogs->error(e.text());
    }
    m_grid->setColumnHidden(kKeyColumn, true);
    fitColumns();
    if (current < 0 || !setCurrentKey(current)) {
        if (m_model->rowCount() > 0)
            m_grid->setCurrentIndex(m_model->index(0, ColNev));
    }
    updateState();
}

qint64 Tfrm_UgyfelValaszt::currentKey() const {
    const QModelIndex index = m_grid->currentIndex();
    if (!index.isValid())
        return -1;
    return m_query->data(m_query->index(index.row(), kKeyColumn)).toLongLong();
}

bool Tfrm_UgyfelValaszt::setCurrentKey(qint64 key) {
    for (int row = 0;; ++row) {
        while (row >= m_query->rowCount() && m_query->canFetchMore())
            m_query->fetchMore();
        if (row >= m_query->rowCount())
            return false;
        if (m_query->data(m_query->index(row, kKeyColumn)).toLongLong() == key) {
            m_grid->setCurrentIndex(m_model->index(row, ColNev));
            m_grid->scrollTo(m_grid->currentIndex(), QAbstractItemView::PositionAtCenter);
            return true;
        }
    }
}

QList<qint64> Tfrm_UgyfelValaszt::shownKeys() const {
    while (m_query->canFetchMore())
        m_query->fetchMore();
    QList<qint64> keys;
    for (int row = 0; row < m_query->rowCount(); ++row)
        keys << m_query->data(m_query->index(row, kKeyColumn)).toLongLong();
    return keys;
}

void Tfrm_UgyfelValaszt::sortByColumn(int column) {
    if (column < 0 || column >= ColumnCount)
        return;
    const qint64 current = currentKey();
    m_sortColumn = column;
    m_model->setSortColumn(column);
    reload(current);
    m_search->setFocus();
}

QString Tfrm_UgyfelValaszt::positionText() const {
    return QStringLiteral("%1: %2").arg(m_count).arg(m_grid->currentIndex().row() + 1);
}

void Tfrm_UgyfelValaszt::updateState() {
    const bool hasRow = m_grid->currentIndex().isValid();
    m_aElfogad->setEnabled(hasRow);
    m_aSzerkeszt->setEnabled(hasRow);
    m_aTorol->setEnabled(hasRow);
    m_position->setText(positionText());
}

void Tfrm_UgyfelValaszt::fitColumns() {
    const int width = std::max(0, m_grid->viewport()->width() - 40);
    for (int c = 0; c < ColumnCount - 1; ++c)
        m_grid->setColumnWidth(c, int(kColumnShares[c] * width));
}

bool Tfrm_UgyfelValaszt::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_grid->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == m_search && key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier) {
            m_grid->setFocus();
            return true;
        }
        if (watched == m_grid && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
            startsSearch(key->text())) {
            m_search->setFocus();
            m_search->setText(key->text().toLower());
            m_search->setCursorPosition(m_search->text().size());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tfrm_UgyfelValaszt::acceptCurrent() {
    const QModelIndex index = m_grid->currentIndex();
    if (!index.isValid())
        return;
    m_choice.ugyfel = currentKey();
    m_choice.ugyfel_nev = m_query->data(m_query->index(index.row(), ColNev)).toString().trimmed();
    m_choice.kedvezmeny = varFloat(m_query->data(m_query->index(index.row(), ColKedvezmeny)));
    accept();
}

std::optional<qint64> Tfrm_UgyfelValaszt::editCustomerRow(std::optional<qint64> key) {
    Tfrm_Ugyfel window(m_db, key, this, m_ownDialogs ? nullptr : m_dialogs);
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
    const int row = m_grid->currentIndex().row();
    if (!orvix::softDeleteCustomer(m_db, *m_dialogs, key, kDeleteCustomerQuestion))
        return;
    reload(-1);
    const int next = std::min(row, m_model->rowCount() - 1);
    if (next >= 0)
        m_grid->setCurrentIndex(m_model->index(next, ColNev));
}

std::optional<CustomerChoice> chooseCustomer(QWidget* parent, Database& db, qint64 preset) {
    Tfrm_UgyfelValaszt window(db, preset, parent);
    if (window.exec() != QDialog::Accepted || window.choice().ugyfel < 0)
        return std::nullopt;
    return window.choice();
}

} // namespace orvix::ui
