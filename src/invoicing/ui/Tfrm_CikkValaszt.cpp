#include "invoicing/ui/Tfrm_CikkValaszt.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Locale.h"
#include "core/Rights.h"
#include "core/TextUtil.h"
#include "invoicing/ui/Tfrm_TermekKeres.h"
#include "masters/ui/Tfrm_Cikktorzs.h"

#include <QAction>
#include <QColor>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>

namespace orvix::ui {

namespace {

const QString kWindowName = QStringLiteral("Tfrm_CikkValaszt");
const char* const kFields[] = {"cikkszam", "cikkszam_nev", "kategoria", "mert", "netto", "brutto"};
const std::vector<double> kColumnShares = {0.12, 0.33, 0.12, 0.12, 0.15, 0.16};
constexpr int kSecondNameColumn = Tfrm_CikkValaszt::ColumnCount;
constexpr int kAdvanceColumn = Tfrm_CikkValaszt::ColumnCount + 1;

} // namespace

// Money in the amount format and right-aligned, advance items in red.
class ProductListModel : public SortedListModel {
public:
    using SortedListModel::SortedListModel;

    QString moneyFormat;

    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::ForegroundRole) {
            const QModelIndex flag = sourceModel()->index(index.row(), kAdvanceColumn);
            if (varText(sourceModel()->data(flag)).trimmed() == QLatin1String("I"))
                return QColor(Qt::red);
        }
        if (role == Qt::TextAlignmentRole && isMoney(index.column()))
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return SortedListModel::data(index, role);
    }

protected:
    QString displayText(const QModelIndex& index, const QVariant& value) const override {
        if (isMoney(index.column()))
            return formatMoney(varFloat(value), moneyFormat);
        return SortedListModel::displayText(index, value);
    }

private:
    static bool isMoney(int column) {
        return column == Tfrm_CikkValaszt::ColNetto || column == Tfrm_CikkValaszt::ColBrutto;
    }
};

Tfrm_CikkValaszt::Tfrm_CikkValaszt(Database& db, ProductChoiceMode mode, const QString& startCode,
                                   qint64 customer, const QString& sortField, QWidget* parent,
                                   Dialogs* dialogs)
    : ListWindow(kWindowName, QStringLiteral("Cikkszám választás"), parent, dialogs), m_db(db), m_mode(mode),
      m_customer(customer) {
    // The order (and its highlighted column) of the main window's product
    // list unless the caller asks for another.
    m_orderField = productChooserOrderField(sortField.isEmpty() ? productListOrder() : sortField);
    m_sortColumn = -1;
    for (int c = 0; c < ColumnCount; ++c)
        if (m_orderField == QLatin1String(kFields[c]))
            m_sortColumn = c;

    m_aElfogad = addListAction(QStringLiteral("aElfogad"), QStringLiteral("Elfogad"));
    m_aElfogad->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    m_aMegsem = addListAction(QStringLiteral("aMegsem"), QStringLiteral("Mégsem"), QKeySequence(Qt::Key_Escape));
    m_aKereso =
        addListAction(QStringLiteral("aKereso"), QStringLiteral("Kereső"), QKeySequence(Qt::CTRL | Qt::Key_F));
    m_aKeresoReszletes = addListAction(QStringLiteral("aKeresoReszletes"), QStringLiteral("Kereső..."),
                                       QKeySequence(Qt::CTRL | Qt::Key_T));
    m_aKeresoReszletes->setToolTip(QStringLiteral("Részletes kereső"));
    // Set explicitly: a tool button would drop the dots of the text.
    m_aKeresoReszletes->setIconText(QStringLiteral("Kereső..."));
    m_aUj = addListAction(QStringLiteral("aUj"), QStringLiteral("Új sor"), QKeySequence(Qt::Key_Insert));
    m_aSzerkeszt =
        addListAction(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QKeySequence(Qt::Key_F2));
    m_aTorol = addListAction(QStringLiteral("aTorol"), QStringLiteral("Töröl"),
                             QKeySequence(Qt::CTRL | Qt::Key_Delete));
    // An advance item belongs to a document's history: it is not deleted here.
    if (m_mode == ProductChoiceMode::Advance) {
        m_aTorol->setVisible(false);
        m_aTorol->setEnabled(false);
    }
    QToolBar* toolBar = makeToolBar(
        {{m_aElfogad, m_aMegsem}, {m_aKereso, m_aKeresoReszletes}, {m_aUj, m_aSzerkeszt, m_aTorol}});

    QHBoxLayout* panel = makeSearchPanel(QStringLiteral("Termékek  "),
                                         QStringLiteral("cikkszám, megnevezés vagy második megnevezés részlete"));

    m_query = new QSqlQueryModel(this);
    m_model = new ProductListModel(this);
    m_model->titles = {QStringLiteral("cikkszám"),  QStringLiteral("megnevezés"), QStringLiteral("kategória"),
                       QStringLiteral("m.e."),      QStringLiteral("nettó"),      QStringLiteral("bruttó")};
    m_model->moneyFormat = app().settings.formatft;
    m_model->setSourceModel(m_query);
    m_model->setSortColumn(m_sortColumn);

    QTableView* list = makeGrid(m_model);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    list->addActions({m_aElfogad, m_aUj, m_aSzerkeszt, m_aTorol});
    list->viewport()->installEventFilter(this);

    QStatusBar* statusBar = makeStatusBar();
    positionLabel()->setMinimumWidth(90);
    m_secondName = new QLabel(statusBar);
    m_secondName->setObjectName(QStringLiteral("lblNev2"));
    statusBar->addWidget(m_secondName, 1);

    layOut(toolBar, panel, nullptr, list, statusBar);

    connect(m_aKereso, &QAction::triggered, this, [this] {
        searchBox()->setFocus();
        searchBox()->selectAll();
    });
    connect(m_aKeresoReszletes, &QAction::triggered, this, &Tfrm_CikkValaszt::searchDetailed);
    connect(m_aElfogad, &QAction::triggered, this, &Tfrm_CikkValaszt::acceptCurrent);
    connect(m_aMegsem, &QAction::triggered, this, &QDialog::reject);
    connect(m_aUj, &QAction::triggered, this, &Tfrm_CikkValaszt::newProduct);
    connect(m_aSzerkeszt, &QAction::triggered, this, &Tfrm_CikkValaszt::editCurrent);
    connect(m_aTorol, &QAction::triggered, this, &Tfrm_CikkValaszt::deleteCurrent);
    connect(list, &QTableView::doubleClicked, this, [this] { m_aElfogad->trigger(); });
    connect(list->horizontalHeader(), &QHeaderView::sectionClicked, this, &Tfrm_CikkValaszt::sortByColumn);
    connect(searchBox(), &QLineEdit::textChanged, this, [this](const QString& text) {
        reload(QString());
        positionOnPrefix(text, false);
    });

    reload(QString());
    positionOnPrefix(startCode, true);
    finishWindow(760, 460);
    fitColumns();
    list->setFocus();
}

Tfrm_CikkValaszt::~Tfrm_CikkValaszt() = default;

QString Tfrm_CikkValaszt::condition() const {
    return productChooserCondition(m_mode, m_customer, searchBox()->text());
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
        dialogs().error(e.text());
    }
    grid()->setColumnHidden(kSecondNameColumn, true);
    grid()->setColumnHidden(kAdvanceColumn, true);
    fitColumns();
    if (current.isEmpty() || !setCurrentCode(current)) {
        if (m_model->rowCount() > 0)
            grid()->setCurrentIndex(m_model->index(0, ColCikkszam));
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
    const QModelIndex index = grid()->currentIndex();
    if (!index.isValid())
        return QString();
    return m_query->data(m_query->index(index.row(), ColCikkszam)).toString();
}

bool Tfrm_CikkValaszt::setCurrentCode(const QString& code) {
    const int row =
        findFetchedRow(m_query, ColCikkszam, [&code](const QVariant& v) { return v.toString() == code; });
    if (row < 0)
        return false;
    grid()->setCurrentIndex(m_model->index(row, qMax(0, grid()->currentIndex().column())));
    grid()->scrollTo(grid()->currentIndex(), QAbstractItemView::PositionAtCenter);
    updateState();
    return true;
}

QStringList Tfrm_CikkValaszt::shownCodes() const {
    QStringList codes;
    for (const QVariant& v : fetchedColumn(m_query, ColCikkszam))
        codes << v.toString();
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
    searchBox()->setFocus();
    searchBox()->selectAll();
}

QString Tfrm_CikkValaszt::positionText() const {
    return QStringLiteral("%1: %2").arg(m_count).arg(m_count > 0 ? grid()->currentIndex().row() + 1 : 0);
}

QString Tfrm_CikkValaszt::secondNameText() const {
    const QModelIndex index = grid()->currentIndex();
    if (!index.isValid())
        return QString();
    return varText(m_query->data(m_query->index(index.row(), kSecondNameColumn))).trimmed();
}

void Tfrm_CikkValaszt::updateState() {
    const bool hasRow = grid()->currentIndex().isValid();
    m_aElfogad->setEnabled(hasRow);
    m_aSzerkeszt->setEnabled(hasRow);
    if (m_mode != ProductChoiceMode::Advance)
        m_aTorol->setEnabled(hasRow);
    positionLabel()->setText(positionText());
    m_secondName->setText(secondNameText());
}

void Tfrm_CikkValaszt::fitColumns() {
    fitColumnShares(grid(), kColumnShares, std::max(0, grid()->viewport()->width() - 40));
}

void Tfrm_CikkValaszt::resizeEvent(QResizeEvent* event) {
    ListWindow::resizeEvent(event);
    fitColumns();
}

bool Tfrm_CikkValaszt::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid()->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    if (event->type() == QEvent::FocusIn && watched == grid())
        updateState();
    return ListWindow::eventFilter(watched, event);
}

void Tfrm_CikkValaszt::acceptCurrent() {
    const QString code = currentCode();
    if (code.isEmpty())
        return;
    try {
        m_choice = LookupProduct(m_db, code);
    } catch (const DbError& e) {
        dialogs().error(e.text());
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
    if (!checkRight(app().user, Right::Write, dialogs()))
        return;
    std::optional<QString> saved;
    if (m_mode == ProductChoiceMode::Advance) {
        try {
            saved = editNewAdvanceItem(newAdvanceItem(m_db, app().settings, m_customer));
        } catch (const DbError& e) {
            dialogs().error(e.text());
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
    if (code.isEmpty() || !checkRight(app().user, Right::Write, dialogs()))
        return;
    if (editProductRow(code))
        reload(code);
}

void Tfrm_CikkValaszt::deleteCurrent() {
    const QString code = currentCode();
    if (code.isEmpty() || m_mode == ProductChoiceMode::Advance ||
        !checkRight(app().user, Right::Write, dialogs()))
        return;
    const int row = grid()->currentIndex().row();
    if (!orvix::softDeleteProduct(m_db, dialogs(), code, QStringLiteral("Valóban töröljem a sort?")))
        return;
    reload(QString());
    moveToRowNear(row);
    updateState();
}

void Tfrm_CikkValaszt::searchDetailed() {
    const std::optional<QString> code = detailedSearch();
    if (!code)
        return;
    // A product hidden by the search text is shown by clearing it.
    if (!setCurrentCode(*code) && !searchBox()->text().isEmpty()) {
        searchBox()->clear();
        setCurrentCode(*code);
    }
    grid()->setFocus();
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
