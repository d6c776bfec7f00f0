#include "invoicing/ui/Tfrm_CikkValaszt.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Locale.h"
#include "core/Rights.h"
#include "core/TextUtil.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/WindowSupport.h"
#include "invoicing/ui/Tfrm_TermekKeres.h"
#include "masters/ui/Tfrm_Cikktorzs.h"

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

namespace {

const QString kWindowName = QStringLiteral("Tfrm_CikkValaszt");
const char* const kFields[] = {"cikkszam", "cikkszam_nev", "kategoria", "mert", "netto", "brutto"};
const double kColumnShares[] = {0.12, 0.33, 0.12, 0.12, 0.15, 0.16};
constexpr int kSecondNameColumn = Tfrm_CikkValaszt::ColumnCount;
constexpr int kAdvanceColumn = Tfrm_CikkValaszt::ColumnCount + 1;
const QColor kSortColor(255, 255, 185);

// A key that, typed on the grid, starts a new search.
bool startsSearch(const QString& text) {
    if (text.size() != 1)
        return false;
    const QChar c = text.at(0);
    return (c >= u'0' && c <= u'9') || (c.toLower() >= u'a' && c.toLower() <= u'z') ||
           QStringLiteral("áéíóőöúűüÁÉÍÓŐÖÚŰÜ").contains(c);
}

} // namespace

// The query's rows with the titles, money in the amount format, advance
// items in red and the sort column highlighted.
class ProductListModel : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    int sortColumn = 0;
    QString moneyFormat;

    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::BackgroundRole && index.column() == sortColumn)
            return kSortColor;
        if (role == Qt::ForegroundRole) {
            const QModelIndex flag = sourceModel()->index(index.row(), kAdvanceColumn);
            if (varText(sourceModel()->data(flag)).trimmed() == QLatin1String("I"))
                return QColor(Qt::red);
        }
        if (role == Qt::TextAlignmentRole &&
            (index.column() == Tfrm_CikkValaszt::ColNetto || index.column() == Tfrm_CikkValaszt::ColBrutto))
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role == Qt::DisplayRole) {
            const QVariant v = QIdentityProxyModel::data(index, Qt::DisplayRole);
            if (v.isNull())
                return QString();
            if (index.column() == Tfrm_CikkValaszt::ColNetto || index.column() == Tfrm_CikkValaszt::ColBrutto)
                return formatMoney(varFloat(v), moneyFormat);
            return v.toString().trimmed();
        }
        return QIdentityProxyModel::data(index, role);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        static const QStringList titles = {QStringLiteral("cikkszám"),  QStringLiteral("megnevezés"),
                                           QStringLiteral("kategória"), QStringLiteral("m.e."),
                                           QStringLiteral("nettó"),     QStringLiteral("bruttó")};
        if (orientation == Qt::Horizontal) {
            if (role == Qt::DisplayRole && section < titles.size())
                return titles.at(section);
            if (role == Qt::BackgroundRole && section == sortColumn)
                return kSortColor;
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

Tfrm_CikkValaszt::Tfrm_CikkValaszt(Database& db, ProductChoiceMode mode, const QString& startCode,
                                   qint64 customer, const QString& sortField, QWidget* parent,
                                   Dialogs* dialogs)
    : QDialog(parent), m_db(db), m_mode(mode), m_customer(customer) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Cikkszám választás"));
    if (!dialogs) {
        m_ownDialogs = std::make_unique<QtDialogs>(this);
        dialogs = m_ownDialogs.get();
    }
    m_dialogs = dialogs;
    // The order (and its highlighted column) of the main window's product
    // list unless the caller asks for another.
    m_orderField = productChooserOrderField(sortField.isEmpty() ? productListOrder() : sortField);
    m_sortColumn = -1;
    for (int c = 0; c < ColumnCount; ++c)
        if (m_orderField == QLatin1String(kFields[c]))
            m_sortColumn = c;

    m_aElfogad =
        makeAction(QStringLiteral("aElfogad"), QStringLiteral("Elfogad"), QKeySequence(Qt::Key_Return));
    m_aElfogad->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    m_aMegsem = makeAction(QStringLiteral("aMegsem"), QStringLiteral("Mégsem"), QKeySequence(Qt::Key_Escape));
    m_aKereso =
        makeAction(QStringLiteral("aKereso"), QStringLiteral("Kereső"), QKeySequence(Qt::CTRL | Qt::Key_F));
    m_aKeresoReszletes = makeAction(QStringLiteral("aKeresoReszletes"), QStringLiteral("Kereső..."),
                                    QKeySequence(Qt::CTRL | Qt::Key_T));
    m_aKeresoReszletes->setToolTip(QStringLiteral("Részletes kereső"));
    // Set explicitly: a tool button would drop the dots of the text.
    m_aKeresoReszletes->setIconText(QStringLiteral("Kereső..."));
    m_aUj = makeAction(QStringLiteral("aUj"), QStringLiteral("Új sor"), QKeySequence(Qt::Key_Insert));
    m_aSzerkeszt =
        makeAction(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QKeySequence(Qt::Key_F2));
    m_aTorol = makeAction(QStringLiteral("aTorol"), QStringLiteral("Töröl"),
                          QKeySequence(Qt::CTRL | Qt::Key_Delete));
    // An advance item belongs to a document's history: it is not deleted here.
    if (m_mode == ProductChoiceMode::Advance) {
        m_aTorol->setVisible(false);
        m_aTorol->setEnabled(false);
    }

    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolBar->addActions({m_aElfogad, m_aMegsem});
    toolBar->addSeparator();
    toolBar->addActions({m_aKereso, m_aKeresoReszletes});
    toolBar->addSeparator();
    toolBar->addActions({m_aUj, m_aSzerkeszt, m_aTorol});

    auto* panelCaption = new QLabel(QStringLiteral("Termékek  "), this);
    panelCaption->setObjectName(QStringLiteral("lblPanel"));
    QFont bold = panelCaption->font();
    bold.setBold(true);
    panelCaption->setFont(bold);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("eKereso"));
    m_search->setPlaceholderText(QStringLiteral("cikkszám, megnevezés vagy második megnevezés részlete"));
    m_search->installEventFilter(this);
    auto* panel = new QHBoxLayout;
    panel->setContentsMargins(6, 4, 6, 4);
    panel->addWidget(panelCaption);
    panel->addWidget(m_search, 1);

    m_query = new QSqlQueryModel(this);
    m_model = new ProductListModel(this);
    m_model->moneyFormat = app().settings.formatft;
    m_model->sortColumn = m_sortColumn;
    m_model->setSourceModel(m_query);

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
    m_grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_grid->addActions({m_aElfogad, m_aUj, m_aSzerkeszt, m_aTorol});
    m_grid->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);

    auto* statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("StatusBar1"));
    statusBar->setSizeGripEnabled(false);
    m_position = new QLabel(statusBar);
    m_position->setObjectName(QStringLiteral("lblPozicio"));
    m_position->setMinimumWidth(90);
    m_secondName = new QLabel(statusBar);
    m_secondName->setObjectName(QStringLiteral("lblNev2"));
    statusBar->addWidget(m_position);
    statusBar->addWidget(m_secondName, 1);

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
    connect(m_aKeresoReszletes, &QAction::triggered, this, &Tfrm_CikkValaszt::searchDetailed);
    connect(m_aElfogad, &QAction::triggered, this, &Tfrm_CikkValaszt::acceptCurrent);
    connect(m_aMegsem, &QAction::triggered, this, &QDialog::reject);
    connect(m_aUj, &QAction::triggered, this, &Tfrm_CikkValaszt::newProduct);
    connect(m_aSzerkeszt, &QAction::triggered, this, &Tfrm_CikkValaszt::editCurrent);
    connect(m_aTorol, &QAction::triggered, this, &Tfrm_CikkValaszt::deleteCurrent);
    connect(m_grid, &QTableView::doubleClicked, this, [this] { m_aElfogad->trigger(); });
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this, &Tfrm_CikkValaszt::sortByColumn);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        reload(QString());
        positionOnPrefix(text, false);
    });

    reload(QString());
    positionOnPrefix(startCode, true);
    resize(760, 460);
    setupWindow(this, kWindowName, true, false);
    fitColumns();
    m_grid->setFocus();
}

Tfrm_CikkValaszt::~Tfrm_CikkValaszt() = default;

QAction* Tfrm_CikkValaszt::makeAction(const QString& name, const QString& text, const QKeySequence& key) {
    return addWindowAction(this, name, text, key);
}

QAction* Tfrm_CikkValaszt::action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

QString Tfrm_CikkValaszt::condition() const {
    return productChooserCondition(m_mode, m_customer, m_search->text());
}

void Tfrm_CikkValaszt::reload(const QString& current) {
    const QString where = condition();
    const QString& order = m_orderField;
    try {
        m_count = int(m_db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam WHERE ") + where, 0));
        QSqlQuery q(m_db.sql());
        if (!q.exec(QStringLiteral(
                        "SELECT cikkszam, cikkszam_nev, kategoria, mert, netto, brutto, cikkszam_nev2, "
                        "eloleg FROM cikkszam WHERE %1 ORDER BY %2, cikkszam")
                        .arg(where, order)))
            throw DbError(q.lastError().text());
        m_query->setQuery(std::move(q));
    } catch (const DbError& e) {
        m_count = 0;
        m_query->clear();
        m_dialogs->error(e.text());
    }
    m_grid->setColumnHidden(kSecondNameColumn, true);
    m_grid->setColumnHidden(kAdvanceColumn, true);
    fitColumns();
    if (current.isEmpty() || !setCurrentCode(current)) {
        if (m_model->rowCount() > 0)
            m_grid->setCurrentIndex(m_model->index(0, ColCikkszam));
    }
    updateState();
}

void Tfrm_CikkValaszt::positionOnPrefix(const QString& text, bool onCode) {
    if (text.isEmpty())
        return;
    // The first row (in the list's order) whose sort column, or for the
    // start product whose code, begins with the text; no such row: the
    // cursor stays.
    const QString field = onCode ? QStringLiteral("cikkszam") : m_orderField;
    QString pattern = text.toUpper();
    pattern.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    pattern.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    pattern.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    try {
        const QString code = m_db.queryText(
            QStringLiteral("SELECT cikkszam FROM cikkszam WHERE %1 AND (UPPER(%2) LIKE ? ESCAPE '\\') "
                           "ORDER BY %3, cikkszam LIMIT 1")
                .arg(condition(), field, m_orderField),
            QString(), {pattern + QLatin1Char('%')});
        if (!code.isEmpty())
            setCurrentCode(code);
    } catch (const DbError&) {
        // Positioning is a convenience; the list stays as it is.
    }
}

int Tfrm_CikkValaszt::rowCount() const {
    return m_count;
}

QString Tfrm_CikkValaszt::currentCode() const {
    const QModelIndex index = m_grid->currentIndex();
    if (!index.isValid())
        return QString();
    return m_query->data(m_query->index(index.row(), ColCikkszam)).toString();
}

bool Tfrm_CikkValaszt::setCurrentCode(const QString& code) {
    for (int row = 0;; ++row) {
        while (row >= m_query->rowCount() && m_query->canFetchMore())
            m_query->fetchMore();
        if (row >= m_query->rowCount())
            return false;
        if (m_query->data(m_query->index(row, ColCikkszam)).toString() == code) {
            m_grid->setCurrentIndex(m_model->index(row, qMax(0, m_grid->currentIndex().column())));
            m_grid->scrollTo(m_grid->currentIndex(), QAbstractItemView::PositionAtCenter);
            updateState();
            return true;
        }
    }
}

QStringList Tfrm_CikkValaszt::shownCodes() const {
    while (m_query->canFetchMore())
        m_query->fetchMore();
    QStringList codes;
    for (int row = 0; row < m_query->rowCount(); ++row)
        codes << m_query->data(m_query->index(row, ColCikkszam)).toString();
    return codes;
}

void Tfrm_CikkValaszt::sortByColumn(int column) {
    if (column < 0 || column >= ColumnCount)
        return;
    const QString current = currentCode();
    m_sortColumn = column;
    m_orderField = QLatin1String(kFields[column]);
    m_model->setSortColumn(column);
    reload(current);
    m_search->setFocus();
    m_search->selectAll();
}

QString Tfrm_CikkValaszt::positionText() const {
    return QStringLiteral("%1: %2").arg(m_count).arg(m_count > 0 ? m_grid->currentIndex().row() + 1 : 0);
}

QString Tfrm_CikkValaszt::secondNameText() const {
    const QModelIndex index = m_grid->currentIndex();
    if (!index.isValid())
        return QString();
    return varText(m_query->data(m_query->index(index.row(), kSecondNameColumn))).trimmed();
}

void Tfrm_CikkValaszt::updateState() {
    const bool hasRow = m_grid->currentIndex().isValid();
    m_aElfogad->setEnabled(hasRow);
    m_aSzerkeszt->setEnabled(hasRow);
    if (m_mode != ProductChoiceMode::Advance)
        m_aTorol->setEnabled(hasRow);
    m_position->setText(positionText());
    m_secondName->setText(secondNameText());
}

void Tfrm_CikkValaszt::fitColumns() {
    const int width = std::max(0, m_grid->viewport()->width() - 40);
    for (int c = 0; c < ColumnCount; ++c)
        m_grid->setColumnWidth(c, int(kColumnShares[c] * width));
}

void Tfrm_CikkValaszt::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitColumns();
}

bool Tfrm_CikkValaszt::eventFilter(QObject* watched, QEvent* event) {
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
            m_search->setCursorPosition(int(m_search->text().size()));
            return true;
        }
    }
    if (event->type() == QEvent::FocusIn && watched == m_grid)
        updateState();
    return QDialog::eventFilter(watched, event);
}

void Tfrm_CikkValaszt::acceptCurrent() {
    const QString code = currentCode();
    if (code.isEmpty())
        return;
    try {
        m_choice = LookupProduct(m_db, code);
    } catch (const DbError& e) {
        m_dialogs->error(e.text());
        return;
    }
    if (m_choice)
        accept();
}

std::optional<QString> Tfrm_CikkValaszt::editProductRow(const std::optional<QString>& code) {
    return editProduct(this, m_db, code);
}

std::optional<QString> Tfrm_CikkValaszt::editNewAdvanceItem(const Product& item) {
    Tfrm_Cikktorzs window(m_db, item, this);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.savedCode();
}

std::optional<QString> Tfrm_CikkValaszt::detailedSearch() {
    const std::optional<QVariant> found = searchProductOrCustomer(this, m_db, SearchTarget::Products);
    if (!found)
        return std::nullopt;
    return found->toString();
}

void Tfrm_CikkValaszt::newProduct() {
    if (!checkRight(app().user, Right::Write, *m_dialogs))
        return;
    std::optional<QString> saved;
    if (m_mode == ProductChoiceMode::Advance) {
        try {
            saved = editNewAdvanceItem(newAdvanceItem(m_db, app().settings, m_customer));
        } catch (const DbError& e) {
            m_dialogs->error(e.text());
            return;
        }
    } else {
        saved = editProductRow(std::nullopt);
    }
    if (saved)
        reload(*saved);
}

void Tfrm_CikkValaszt::editCurrent() {
    const QString code = currentCode();
    if (code.isEmpty() || !checkRight(app().user, Right::Write, *m_dialogs))
        return;
    if (editProductRow(code))
        reload(code);
}

void Tfrm_CikkValaszt::deleteCurrent() {
    const QString code = currentCode();
    if (code.isEmpty() || m_mode == ProductChoiceMode::Advance ||
        !checkRight(app().user, Right::Write, *m_dialogs))
        return;
    const int row = m_grid->currentIndex().row();
    if (!orvix::softDeleteProduct(m_db, *m_dialogs, code, QStringLiteral("Valóban töröljem a sort?")))
        return;
    reload(QString());
    const int next = std::min(row, m_model->rowCount() - 1);
    if (next >= 0)
        m_grid->setCurrentIndex(m_model->index(next, ColCikkszam));
    updateState();
}

void Tfrm_CikkValaszt::searchDetailed() {
    const std::optional<QString> code = detailedSearch();
    if (!code)
        return;
    // A product hidden by the search text is shown by clearing it.
    if (!setCurrentCode(*code) && !m_search->text().isEmpty()) {
        m_search->clear();
        setCurrentCode(*code);
    }
    m_grid->setFocus();
}

// ---- Entry points -------------------------------------------------------------

std::optional<QString> chooseProductCode(QWidget* parent, Database& db, const QString& startCode,
                                         const QString& sortField) {
    Tfrm_CikkValaszt window(db, ProductChoiceMode::Plain, startCode, -1, sortField, parent);
    if (window.exec() != QDialog::Accepted || !window.choice())
        return std::nullopt;
    return window.choice()->cikkszam;
}

std::optional<ProductCodeAndName>
chooseProductCodeAndName(QWidget* parent, Database& db, const QString& startCode, const QString& sortField) {
    Tfrm_CikkValaszt window(db, ProductChoiceMode::PlainWithName, startCode, -1, sortField, parent);
    if (window.exec() != QDialog::Accepted || !window.choice())
        return std::nullopt;
    return ProductCodeAndName{window.choice()->cikkszam, window.choice()->cikkszam_nev};
}

std::optional<ProductChoiceResult> chooseLineProduct(QWidget* parent, Database& db, const QString& startCode,
                                                     qint64 customer, const QString& sortField) {
    Tfrm_CikkValaszt window(db, ProductChoiceMode::Line, startCode, customer, sortField, parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.choice();
}

std::optional<ProductChoiceResult> chooseAdvanceItem(QWidget* parent, Database& db, const QString& startCode,
                                                     qint64 customer) {
    Tfrm_CikkValaszt window(db, ProductChoiceMode::Advance, startCode, customer, QString(), parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.choice();
}

} // namespace orvix::ui
