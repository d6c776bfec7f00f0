#include "masters/ui/Tfrm_CodeTable.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Rights.h"
#include "core/TextUtil.h"
#include "core/ui/QtDialogs.h"
#include "masters/ui/Tfrm_CodeTableEdit.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

namespace orvix::ui {

// The rows of one code table for a grid: text of each column, flags as check
// marks, the sort column in the highlight colour.
class CodeTableModel : public QAbstractTableModel {
public:
    CodeTableModel(const CodeTableDesc& desc, QObject* parent)
        : QAbstractTableModel(parent), m_desc(desc), m_sortField(desc.firstSortField) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(m_desc.columns.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const ColumnDesc& c = m_desc.columns.at(size_t(index.column()));
        const QVariant value = m_rows.at(size_t(index.row())).value(c.field);
        switch (role) {
        case Qt::DisplayRole:
            return columnText(c.kind, value);
        case Qt::CheckStateRole:
            if (c.kind == FieldKind::Flag)
                return isYes(varText(value).trimmed()) ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::BackgroundRole:
            return isSortColumn(index.column()) ? QVariant(kSortColumnColor) : QVariant();
        case Qt::TextAlignmentRole:
            if (c.kind == FieldKind::Integer || c.kind == FieldKind::Float)
                return int(Qt::AlignRight | Qt::AlignVCenter);
            return {};
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
            return {};
        if (role == Qt::DisplayRole)
            return m_desc.columns.at(size_t(section)).caption;
        if (role == Qt::BackgroundRole && isSortColumn(section))
            return kSortColumnColor;
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    void setRows(std::vector<CodeTableRow> rows) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    const std::vector<CodeTableRow>& rows() const { return m_rows; }
    const QString& sortField() const { return m_sortField; }
    void setSortField(const QString& field) { m_sortField = field; }

private:
    bool isSortColumn(int column) const {
        return m_desc.columns.at(size_t(column)).field.compare(m_sortField, Qt::CaseInsensitive) == 0;
    }

    const CodeTableDesc& m_desc;
    QString m_sortField;
    std::vector<CodeTableRow> m_rows;
};

Tfrm_CodeTable::Tfrm_CodeTable(Database& db, CodeTableId id, CodeTableMode mode, const QVariant& preset,
                               QWidget* parent, Dialogs* dialogs)
    : ListWindow(codeTableWindow(id).windowName, codeTableWindow(id).title, parent, dialogs), m_db(db),
      m_window(codeTableWindow(id)), m_mode(mode) {

    m_aUjsor = addListAction(QStringLiteral("aUjsor"), QStringLiteral("Új sor"), QKeySequence(Qt::Key_Insert));
    m_aSzerkeszt =
        addListAction(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QKeySequence(Qt::Key_F2));
    m_aTorol = addListAction(QStringLiteral("aTorol"), m_window.deleteCaption,
                             QKeySequence(Qt::CTRL | Qt::Key_Delete));
    m_aKereso =
        addListAction(QStringLiteral("aKereso"), QStringLiteral("Kereső"), QKeySequence(Qt::CTRL | Qt::Key_F));
    m_aBezar = addListAction(QStringLiteral("aBezar"), QStringLiteral("Bezár"), QKeySequence(Qt::Key_Escape));
    // Enter is handled by the grid itself: in the search box it moves to the grid.
    m_aElfogad = addListAction(QStringLiteral("aElfogad"), QStringLiteral("Elfogad"));
    m_aElfogad->setToolTip(QStringLiteral("Elfogad (Enter)"));
    QToolBar* toolBar = makeToolBar({{m_aUjsor, m_aSzerkeszt, m_aTorol}, {m_aKereso, m_aElfogad, m_aBezar}});

    // The panel above the grid: the member's title and the search box.
    auto* panel = new QHBoxLayout;
    panel->setContentsMargins(6, 4, 6, 4);
    m_panel = new QLabel(m_window.panelTitle, this);
    m_panel->setObjectName(QStringLiteral("lblPanel"));
    QFont bold = m_panel->font();
    bold.setBold(true);
    m_panel->setFont(bold);
    panel->addWidget(m_panel);
    panel->addStretch();
    bool anySearch = false;
    for (const CodeTableDesc& d : m_window.pages)
        anySearch = anySearch || d.search != SearchRule::None;
    if (anySearch) {
        auto* label = new QLabel(QStringLiteral("Keresés:"), this);
        m_search = new QLineEdit(this);
        m_search->setObjectName(QStringLiteral("eKereso"));
        m_search->setMinimumWidth(160);
        m_search->installEventFilter(this);
        label->setBuddy(m_search);
        panel->addWidget(label);
        panel->addWidget(m_search);
        connect(m_search, &QLineEdit::textChanged, this, &Tfrm_CodeTable::searchChanged);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addLayout(panel);

    m_pages.resize(m_window.pages.size());
    for (size_t i = 0; i < m_pages.size(); ++i)
        m_pages[i].desc = &m_window.pages[i];
    if (m_pages.size() > 1) {
        m_tabs = new QTabWidget(this);
        m_tabs->setObjectName(QStringLiteral("PageControl1"));
        for (Page& p : m_pages)
            m_tabs->addTab(makePageGrid(p), p.desc->pageTitle);
        layout->addWidget(m_tabs, 1);
        connect(m_tabs, &QTabWidget::currentChanged, this, [this](int page) {
            m_page = page;
            if (m_search) {
                const QSignalBlocker block(m_search);
                m_search->clear();
            }
            updateState();
        });
    } else {
        layout->addWidget(makePageGrid(m_pages.front()), 1);
    }

    layout->addWidget(makeStatusBar());

    connect(m_aUjsor, &QAction::triggered, this, &Tfrm_CodeTable::newRow);
    connect(m_aSzerkeszt, &QAction::triggered, this, &Tfrm_CodeTable::editCurrent);
    connect(m_aTorol, &QAction::triggered, this, &Tfrm_CodeTable::deleteCurrent);
    connect(m_aKereso, &QAction::triggered, this, [this] { focusSearch(true); });
    connect(m_aBezar, &QAction::triggered, this, &QDialog::reject);
    connect(m_aElfogad, &QAction::triggered, this, &Tfrm_CodeTable::accept);

    // Load every page, then find the caller's row.
    int startPage = 0;
    QVariant startKey = preset;
    bool wholeKey = false;
    try {
        if (id == CodeTableId::TariffNumbers) {
            const TariffPreset found = locateTariffPreset(db, varText(preset));
            startPage = found.page;
            startKey = found.key;
            wholeKey = true;
        }
    } catch (const DbError& e) {
        this->dialogs().error(e.text());
    }
    for (int p = 0; p < pageCount(); ++p)
        reload(p, p == startPage ? startKey : QVariant());
    positionOn(startPage, startKey, wholeKey);
    if (m_tabs)
        m_tabs->setCurrentIndex(startPage);
    m_page = startPage;

    finishWindow(m_window.pages.front().columns.size() > 2 ? 620 : 440, 420);
    updateState();
    grid()->setFocus();
}

Tfrm_CodeTable::~Tfrm_CodeTable() = default;

QTableView* Tfrm_CodeTable::makePageGrid(Page& page) {
    page.model = new CodeTableModel(*page.desc, this);
    page.grid = makeGrid(page.model, m_pages.size() > 1 ? QStringLiteral("DBGrid_") + page.desc->table
                                                        : QStringLiteral("DBGrid1"));
    page.grid->verticalHeader()->setDefaultSectionSize(page.grid->fontMetrics().height() + 6);
    page.grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    page.grid->addActions({m_aUjsor, m_aSzerkeszt, m_aTorol, m_aKereso, m_aElfogad, m_aBezar});

    QTableView* grid = page.grid;
    connect(grid, &QTableView::doubleClicked, this, [this] {
        if (m_mode == CodeTableMode::Maintain)
            m_aSzerkeszt->trigger();
        else
            m_aElfogad->trigger();
    });
    connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this, &Tfrm_CodeTable::sortByColumn);
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &Tfrm_CodeTable::updateState);
    return grid;
}

const CodeTableDesc& Tfrm_CodeTable::pageDescription(int page) const {
    return *m_pages.at(size_t(page < 0 ? m_page : page)).desc;
}

QTableView* Tfrm_CodeTable::grid(int page) const {
    return m_pages.at(size_t(page < 0 ? m_page : page)).grid;
}

QAbstractItemModel* Tfrm_CodeTable::model(int page) const {
    return m_pages.at(size_t(page < 0 ? m_page : page)).model;
}

void Tfrm_CodeTable::setCurrentPage(int page) {
    if (page < 0 || page >= pageCount())
        return;
    if (m_tabs)
        m_tabs->setCurrentIndex(page);
    m_page = page;
    updateState();
}

int Tfrm_CodeTable::rowCount() const {
    return m_pages.at(size_t(m_page)).model->rowCount();
}

int Tfrm_CodeTable::currentRow() const {
    return grid()->currentIndex().row();
}

void Tfrm_CodeTable::setCurrentRow(int row) {
    if (row < 0 || row >= rowCount())
        return;
    grid()->setCurrentIndex(model()->index(row, 0));
    grid()->scrollTo(model()->index(row, 0));
}

CodeTableRow Tfrm_CodeTable::currentValues() const {
    const int row = currentRow();
    const auto& rows = m_pages.at(size_t(m_page)).model->rows();
    return row >= 0 && row < int(rows.size()) ? rows.at(size_t(row)) : CodeTableRow();
}

QString Tfrm_CodeTable::sortField() const {
    return m_pages.at(size_t(m_page)).model->sortField();
}

std::optional<QVariant> Tfrm_CodeTable::acceptedKey() const {
    if (!m_accepted)
        return std::nullopt;
    return m_accepted->value(m_window.pages.at(size_t(m_page)).keyField);
}

void Tfrm_CodeTable::reload(int page, const QVariant& key, int fallbackRow) {
    Page& p = m_pages.at(size_t(page));
    std::vector<CodeTableRow> rows;
    try {
        rows = loadCodeTable(m_db, *p.desc, p.model->sortField());
    } catch (const DbError& e) {
        dialogs().error(e.text());
    }
    p.model->setRows(std::move(rows));
    int row = -1;
    const QString wanted = varText(key).trimmed();
    if (!wanted.isEmpty()) {
        const auto& loaded = p.model->rows();
        for (size_t i = 0; i < loaded.size(); ++i)
            if (varText(loaded[i].value(p.desc->keyField)).trimmed() == wanted)
                row = int(i);
    }
    if (row < 0)
        row = std::min(fallbackRow, p.model->rowCount() - 1);
    if (row >= 0) {
        p.grid->setCurrentIndex(p.model->index(row, 0));
        p.grid->scrollTo(p.model->index(row, 0));
    }
    fitColumns(page);
    updateState();
}

void Tfrm_CodeTable::positionOn(int page, const QVariant& key, bool wholeKey) {
    Page& p = m_pages.at(size_t(page));
    CodeTableDesc desc = *p.desc;
    if (wholeKey)
        desc.presetMatch = PresetMatch::WholeKey;
    const int row = findPresetRow(p.model->rows(), desc, key);
    if (row >= 0) {
        p.grid->setCurrentIndex(p.model->index(row, 0));
        p.grid->scrollTo(p.model->index(row, 0), QAbstractItemView::PositionAtCenter);
    }
}

void Tfrm_CodeTable::sortByColumn(int column) {
    const CodeTableDesc& desc = pageDescription();
    if (column < 0 || column >= int(desc.columns.size()))
        return;
    Page& p = m_pages.at(size_t(m_page));
    const QVariant key = currentValues().value(desc.keyField);
    p.model->setSortField(desc.columns.at(size_t(column)).field);
    reload(m_page, key);
    p.grid->viewport()->update();
    p.grid->horizontalHeader()->viewport()->update();
    if (desc.titleClickFocusesSearch && m_search)
        focusSearch(true);
}

QString Tfrm_CodeTable::positionText() const {
    return QStringLiteral("%1: %2").arg(rowCount()).arg(currentRow() + 1);
}

bool Tfrm_CodeTable::actionsShown() const {
    if (m_mode == CodeTableMode::ChooseOnly)
        return false;
    if (m_window.actionsNeedAnyRight)
        return app().user.iras || app().user.rendszergazda;
    return true;
}

void Tfrm_CodeTable::updateState() {
    const CodeTableDesc& desc = pageDescription();
    const bool shown = actionsShown();
    const bool hasRow = currentRow() >= 0;
    m_aUjsor->setVisible(shown && offersAction(desc, CodeTableAction::New));
    m_aSzerkeszt->setVisible(shown && offersAction(desc, CodeTableAction::Edit));
    m_aTorol->setVisible(shown && offersAction(desc, CodeTableAction::Delete));
    m_aUjsor->setEnabled(m_aUjsor->isVisible());
    m_aSzerkeszt->setEnabled(m_aSzerkeszt->isVisible() && hasRow);
    m_aTorol->setEnabled(m_aTorol->isVisible() && hasRow);
    const bool search = m_search && desc.search != SearchRule::None;
    m_aKereso->setVisible(search);
    m_aKereso->setEnabled(search);
    if (m_search)
        m_search->setEnabled(search);
    const bool choosing = m_mode != CodeTableMode::Maintain;
    m_aElfogad->setVisible(choosing);
    m_aElfogad->setEnabled(choosing && hasRow);
    positionLabel()->setText(positionText());
}

void Tfrm_CodeTable::fitColumns(int page) {
    const Page& p = m_pages.at(size_t(page));
    const int room = std::max(0, p.grid->width() - p.desc->widthReserve);
    for (size_t i = 0; i < p.desc->columns.size(); ++i) {
        const ColumnDesc& c = p.desc->columns[i];
        p.grid->setColumnWidth(int(i), c.share > 0 ? int(room * c.share) : c.fixedWidth);
    }
}

void Tfrm_CodeTable::focusSearch(bool selectAll) {
    if (!m_search || !m_search->isEnabled())
        return;
    m_keepSearchText = !selectAll;
    m_search->setFocus(Qt::ShortcutFocusReason);
    if (selectAll)
        m_search->selectAll();
}

void Tfrm_CodeTable::searchChanged(const QString& text) {
    const QString field = searchFieldFor(pageDescription(), sortField());
    if (field.isEmpty())
        return;
    const int row = findSearchRow(m_pages.at(size_t(m_page)).model->rows(), field, text);
    if (row >= 0)
        setCurrentRow(row);
}

bool Tfrm_CodeTable::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_search && m_search) {
        if (event->type() == QEvent::FocusIn) {
            // Entering the box selects its text, unless a key typed on the grid brought the focus here.
            if (!m_keepSearchText)
                QTimer::singleShot(0, m_search, [s = m_search] { s->selectAll(); });
            m_keepSearchText = false;
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Down) {
                grid()->setFocus();
                return true;
            }
        }
        return ListWindow::eventFilter(watched, event);
    }
    for (int p = 0; p < pageCount(); ++p) {
        if (watched != m_pages[size_t(p)].grid)
            continue;
        if (event->type() == QEvent::Resize) {
            fitColumns(p);
        } else if (event->type() == QEvent::KeyPress) {
            auto* keyEvent = static_cast<QKeyEvent*>(event);
            const int key = keyEvent->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                if (m_aElfogad->isEnabled())
                    m_aElfogad->trigger();
                return true;
            }
            const Qt::KeyboardModifiers mods =
                keyEvent->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
            const QString typed = keyEvent->text().toLower();
            if (mods == Qt::NoModifier && m_search && m_search->isEnabled() && startsSearch(typed)) {
                focusSearch(false);
                m_search->setText(typed);
                m_search->setCursorPosition(int(typed.size()));
                return true;
            }
        }
        break;
    }
    return ListWindow::eventFilter(watched, event);
}

std::optional<QVariant> Tfrm_CodeTable::editRow(const CodeTableDesc& desc, const CodeTableRow& row,
                                                const CodeTableRow* stored) {
    Tfrm_CodeTableEdit window(m_db, desc, row, stored, this, givenDialogs());
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.savedKey();
}

void Tfrm_CodeTable::newRow() {
    const CodeTableDesc& desc = pageDescription();
    if (!offersAction(desc, CodeTableAction::New) || !checkCodeTableRight(desc, app().user, dialogs()))
        return;
    const int page = m_page;
    if (const std::optional<QVariant> key = editRow(desc, newCodeTableRow(desc), nullptr))
        reload(page, *key, currentRow());
}

void Tfrm_CodeTable::editCurrent() {
    const CodeTableDesc& desc = pageDescription();
    const CodeTableRow row = currentValues();
    if (row.isEmpty() || !checkCodeTableRight(desc, app().user, dialogs()))
        return;
    const int page = m_page;
    if (const std::optional<QVariant> key = editRow(desc, row, &row))
        reload(page, *key, currentRow());
}

void Tfrm_CodeTable::deleteCurrent() {
    const int row = currentRow();
    if (deleteCodeTableRow(m_db, dialogs(), pageDescription(), currentValues(), app().user))
        reload(m_page, QVariant(), row);
}

void Tfrm_CodeTable::accept() {
    if (m_mode == CodeTableMode::Maintain || currentRow() < 0)
        return;
    m_accepted = currentValues();
    ListWindow::accept();
}

// ---- Entry points ------------------------------------------------------------

std::optional<CodeTableRow> chooseCodeTableRow(QWidget* parent, Database& db, CodeTableId id,
                                               const QVariant& preset, CodeTableMode mode) {
    const CodeTableWindowDesc& desc = codeTableWindow(id);
    if (mode == CodeTableMode::Maintain && desc.openRight) {
        QtDialogs dialogs(parent);
        if (!checkRight(app().user, *desc.openRight, dialogs))
            return std::nullopt;
    }
    Tfrm_CodeTable window(db, id, mode, preset, parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.acceptedRow();
}

std::optional<QVariant> openCodeTable(QWidget* parent, Database& db, CodeTableId id, CodeTableMode mode,
                                      const QVariant& preset) {
    const CodeTableWindowDesc& window = codeTableWindow(id);
    const std::optional<CodeTableRow> row = chooseCodeTableRow(parent, db, id, preset, mode);
    if (!row)
        return std::nullopt;
    // The tariff window answers with the key of the page it was accepted on.
    for (const CodeTableDesc& page : window.pages)
        if (row->contains(page.keyField))
            return row->value(page.keyField);
    return std::nullopt;
}

std::optional<PaymentMethodChoice> choosePaymentMethod(QWidget* parent, Database& db,
                                                       const QVariant& preset) {
    const std::optional<CodeTableRow> row =
        chooseCodeTableRow(parent, db, CodeTableId::PaymentMethods, preset);
    if (!row)
        return std::nullopt;
    return paymentMethodChoice(*row);
}

std::optional<LabelLayout> chooseLabelLayout(QWidget* parent, Database& db, const QString& preset) {
    const std::optional<CodeTableRow> row = chooseCodeTableRow(parent, db, CodeTableId::LabelLayouts, preset);
    if (!row)
        return std::nullopt;
    return labelLayoutOf(*row);
}

std::optional<CashDeskChoice> chooseCashDesk(QWidget* parent, Database& db, qint64 preset, bool viewOnly) {
    const std::optional<CodeTableRow> row =
        chooseCodeTableRow(parent, db, CodeTableId::CashDesks, preset < 0 ? QVariant() : QVariant(preset),
                           viewOnly ? CodeTableMode::ChooseOnly : CodeTableMode::Choose);
    if (!row)
        return std::nullopt;
    return CashDeskChoice{varInt(row->value(QStringLiteral("cassak")), -1),
                          varText(row->value(QStringLiteral("cassak_nev"))).trimmed()};
}

std::optional<CashMovementTypeChoice> chooseCashMovementType(QWidget* parent, Database& db,
                                                             const QString& preset) {
    const std::optional<CodeTableRow> row =
        chooseCodeTableRow(parent, db, CodeTableId::CashMovementTypes, preset);
    if (!row)
        return std::nullopt;
    return CashMovementTypeChoice{varText(row->value(QStringLiteral("cassatip"))).trimmed(),
                                  varInt(row->value(QStringLiteral("szorzo")), 1) < 0 ? -1 : 1};
}

} // namespace orvix::ui
