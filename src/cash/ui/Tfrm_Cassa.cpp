#include "cash/ui/Tfrm_Cassa.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Locale.h"
#include "core/TextUtil.h"
#include "core/ui/ListWindow.h"
#include "core/ui/WindowSupport.h"
#include "invoicing/Register.h"
#include "masters/ui/Tfrm_CodeTable.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {

const QString kWindowName = QStringLiteral("Tfrm_Cassa");
const double kColumnShares[] = {0.06, 0.11, 0.17, 0.1, 0.14, 0.12, 0.12, 0.18};

// A selected entry with a negative amount keeps its own text colour.
class CashBookDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        const QVariant selected = index.data(Qt::UserRole);
        if ((opt.state & QStyle::State_Selected) && selected.isValid())
            opt.palette.setColor(QPalette::HighlightedText, selected.value<QColor>());
        QStyledItemDelegate::paint(painter, opt, index);
    }
};

} // namespace

// ---- Model -------------------------------------------------------------------

void CashBookModel::setRows(std::vector<CashBookRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int CashBookModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CashBookModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CashBookModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const CashBookRow& r = m_rows[size_t(index.row())];
    const bool negative = r.amount < 0;
    switch (role) {
    case Qt::DisplayRole: {
        const QString money = app().settings.formatft;
        switch (index.column()) {
        case ColCassa: return QString::number(r.cassa);
        case ColDatum: return formatDate(r.date);
        case ColTipus: return r.typeName;
        case ColSzla: return DocumentNumberText(r.documentNumber);
        case ColMozgTipus: return r.kindName;
        case ColOsszeg: return formatMoney(r.amount, money);
        case ColZaro: return formatMoney(r.balance, money);
        case ColMegjegyzes: return r.comment;
        default: return {};
        }
    }
    case Qt::TextAlignmentRole:
        return int((index.column() == ColOsszeg || index.column() == ColZaro || index.column() == ColCassa
                        ? Qt::AlignRight
                        : Qt::AlignLeft) |
                   Qt::AlignVCenter);
    case Qt::ForegroundRole:
        if (negative)
            return negativeText();
        return {};
    case Qt::BackgroundRole:
        if (negative)
            return negativeBackground();
        if (index.column() == ColCassa)
            return markColumn();
        return {};
    case Qt::UserRole: // the text colour of a selected row
        return negative ? QVariant(negativeSelectedText()) : QVariant();
    default:
        return {};
    }
}

QVariant CashBookModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const titles[] = {"#",      "dátum", "típus", "mozgás/szla", "mozg.típus",
                                         "összeg", "záró",  "megjegyzés"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(titles[section]) : QVariant();
}

// ---- Window ------------------------------------------------------------------

Tfrm_Cassa::Tfrm_Cassa(Database& db, qint64 desk, const Period& period, QWidget* parent, Dialogs* dialogs)
    : QDialog(parent), m_db(db), m_dialogs(this, dialogs), m_desk(desk), m_period(period) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Kassza"));

    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* aUj = addWindowAction(this, QStringLiteral("aUj"), QStringLiteral("Új sor"), Qt::Key_Insert);
    QAction* aMegjegyzes =
        addWindowAction(this, QStringLiteral("aMegjegyzes"), QStringLiteral("Megjegyzés"), QKeySequence(Qt::CTRL | Qt::Key_M));
    QAction* aIdoszak = addWindowAction(this, QStringLiteral("aIdoszak"), QStringLiteral("Időszak"), Qt::Key_F9);
    QAction* aNyomtat = addWindowAction(this, QStringLiteral("aNyomtat"), QStringLiteral("Nyomtat (pénztárbizonylat)"),
                                        QKeySequence(Qt::CTRL | Qt::Key_P));
    QAction* aNyomtatKep = addWindowAction(this, QStringLiteral("aNyomtatKep"),
                                           QStringLiteral("Nyomtatási kép (pénztárbizonylat)"),
                                           QKeySequence(Qt::CTRL | Qt::Key_K));
    QAction* aLista = addWindowAction(this, QStringLiteral("aLista"), QStringLiteral("Lista"));
    QAction* aBezar = addWindowAction(this, QStringLiteral("aBezar"), QStringLiteral("Bezár"), Qt::Key_Escape);
    // The voucher and the cash report are printed by a later capability.
    for (QAction* a : {aNyomtat, aNyomtatKep, aLista})
        a->setEnabled(false);
    bar->addActions({aUj, aMegjegyzes, aIdoszak});
    bar->addSeparator();
    bar->addActions({aNyomtat, aNyomtatKep, aLista});
    bar->addSeparator();
    bar->addAction(aBezar);

    auto* head = new QHBoxLayout;
    m_deskLabel = new QLabel(this);
    m_deskLabel->setObjectName(QStringLiteral("lKassza"));
    m_deskLabel->setStyleSheet(QStringLiteral("font-weight: bold"));
    m_periodLabel = new QLabel(this);
    m_periodLabel->setObjectName(QStringLiteral("lIdoszak"));
    head->addWidget(m_deskLabel);
    head->addStretch();
    head->addWidget(m_periodLabel);

    m_model = new CashBookModel(this);
    m_grid = makeListGrid(this, m_model);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setItemDelegate(new CashBookDelegate(m_grid));
    QStatusBar* status = makePositionStatusBar(this, m_position);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 0);
    layout->addWidget(bar);
    layout->addLayout(head);
    layout->addWidget(m_grid, 1);
    layout->addWidget(status);

    connect(aUj, &QAction::triggered, this, &Tfrm_Cassa::newEntry);
    connect(aMegjegyzes, &QAction::triggered, this, &Tfrm_Cassa::changeComment);
    connect(aIdoszak, &QAction::triggered, this, &Tfrm_Cassa::changePeriod);
    connect(aBezar, &QAction::triggered, this, &QDialog::reject);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &Tfrm_Cassa::updateStatus);

    resize(760, 480);
    setupWindow(this, kWindowName, true);
    m_deskLabel->setText(DeskCaption(m_db, m_desk));
    reload();
    const int width = m_grid->viewport()->width() > 100 ? m_grid->viewport()->width() : 740;
    for (int c = 0; c < CashBookModel::ColumnCount; ++c)
        m_grid->setColumnWidth(c, int(kColumnShares[c] * width));
}

QAction* Tfrm_Cassa::action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

int Tfrm_Cassa::currentRow() const {
    return m_grid->currentIndex().isValid() ? m_grid->currentIndex().row() : -1;
}

QString Tfrm_Cassa::positionText() const {
    return m_position->text();
}

void Tfrm_Cassa::reload(int row) {
    m_periodLabel->setText(PeriodCaption(m_period.from, m_period.to));
    try {
        m_model->setRows(CashBookRows(m_db, m_desk, m_period.from, m_period.to));
    } catch (const DbError& e) {
        m_dialogs->error(e.text());
        m_model->setRows({});
    }
    const int count = m_model->rowCount();
    if (count > 0)
        m_grid->setCurrentIndex(m_model->index(row < 0 || row >= count ? count - 1 : row, 0));
    updateStatus();
}

void Tfrm_Cassa::updateStatus() {
    m_position->setText(recPosText(m_model->rowCount(), currentRow()));
}

std::optional<CashMovementTypeChoice> Tfrm_Cassa::chooseCashType() {
    return chooseCashMovementType(this, m_db);
}

void Tfrm_Cassa::newEntry() {
    if (AddHandEntry(m_db, *m_dialogs, *this, app().user, m_desk))
        reload(); // on the last row, the new entry
}

void Tfrm_Cassa::changeComment() {
    const int row = currentRow();
    if (row < 0)
        return;
    if (ChangeEntryComment(m_db, *m_dialogs, m_model->rows()[size_t(row)].cassa))
        reload(row);
}

void Tfrm_Cassa::changePeriod() {
    const std::optional<Period> period = m_dialogs->inputPeriod(QStringLiteral("Időszak"), m_period);
    if (!period)
        return;
    m_period = *period;
    reload();
}

void Tfrm_Cassa::done(int result) {
    saveWindowGeometry(this, kWindowName, true);
    QDialog::done(result);
}

void openCashBook(QWidget* parent, Database& db, Dialogs& dialogs) {
    const QDate today = QDate::currentDate();
    const std::optional<Period> period = dialogs.inputPeriod(QStringLiteral("Kassza"), Period{today, today});
    if (!period)
        return;
    const std::optional<CashDeskChoice> desk = chooseCashDesk(parent, db, -1);
    if (!desk || desk->cassak < 0)
        return;
    Tfrm_Cassa window(db, desk->cassak, *period, parent);
    window.exec();
}

} // namespace orvix::ui
