#include "masters/ui/Tfrm_SzallitasiCimek.h"

#include "common/Database.h"
#include "masters/ui/Tfrm_SzallitasiCim.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolBar>
#include <algorithm>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_SzallitasiCimek");
const std::vector<double> kColumnShares = {0.3, 0.1, 0.2};
} // namespace

Tfrm_SzallitasiCimek::Tfrm_SzallitasiCimek(Database& db, qint64 ugyfel, bool chooseMode, qint64 preset,
                                           QWidget* parent, Dialogs* dialogs)
    : ListWindow(kWindowName, QStringLiteral("További szállítási címek"), parent, dialogs), m_db(db),
      m_ugyfel(ugyfel), m_chooseMode(chooseMode) {
    QAction* aUj = addListAction(QStringLiteral("aUj"), QStringLiteral("Új"), QKeySequence(Qt::Key_Insert));
    QAction* aKozpont = addListAction(QStringLiteral("aKozpont"), QStringLiteral("Központ hozzá"),
                                      QKeySequence(Qt::CTRL | Qt::Key_Insert));
    aKozpont->setToolTip(QStringLiteral("Hozzáadni a központ címét"));
    aKozpont->setStatusTip(aKozpont->toolTip());
    m_aSzerkeszt =
        addListAction(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QKeySequence(Qt::Key_F2));
    m_aTorol = addListAction(QStringLiteral("aTorol"), QStringLiteral("Töröl"),
                             QKeySequence(Qt::CTRL | Qt::Key_Delete));
    m_aElfogad = addListAction(QStringLiteral("aElfogad"), QStringLiteral("Elfogad"));
    m_aElfogad->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    m_aElfogad->setVisible(chooseMode);
    QAction* aBezar =
        addListAction(QStringLiteral("aBezar"), QStringLiteral("Bezár"), QKeySequence(Qt::Key_Escape));
    QToolBar* toolBar = makeToolBar({chooseMode ? QList<QAction*>{m_aElfogad} : QList<QAction*>{},
                                     {aUj, aKozpont, m_aSzerkeszt, m_aTorol},
                                     {aBezar}});

    QString customerName;
    try {
        customerName =
            db.queryText(QStringLiteral("SELECT ugyfel_nev FROM ugyfel WHERE ugyfel=?;"), QString(), {ugyfel})
                .trimmed();
    } catch (const DbError& e) {
        this->dialogs().error(e.text());
    }
    auto* name = new QLabel(customerName, this);
    name->setObjectName(QStringLiteral("lblUgyfel"));
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    name->setContentsMargins(8, 6, 8, 6);

    m_model = new QStandardItemModel(0, ColumnCount, this);
    m_model->setHorizontalHeaderLabels(
        {QStringLiteral("név"), QStringLiteral("irsz."), QStringLiteral("város"), QStringLiteral("cím")});
    QTableView* list = makeGrid(m_model);
    list->horizontalHeader()->setStretchLastSection(true);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    list->addActions({aUj, aKozpont, m_aSzerkeszt, m_aTorol});
    list->viewport()->installEventFilter(this);

    layOut(toolBar, nullptr, name, list, makeStatusBar());

    connect(aUj, &QAction::triggered, this, &Tfrm_SzallitasiCimek::newAddress);
    connect(aKozpont, &QAction::triggered, this, &Tfrm_SzallitasiCimek::addHeadOffice);
    connect(m_aSzerkeszt, &QAction::triggered, this, &Tfrm_SzallitasiCimek::editCurrent);
    connect(m_aTorol, &QAction::triggered, this, &Tfrm_SzallitasiCimek::deleteCurrent);
    connect(m_aElfogad, &QAction::triggered, this, &Tfrm_SzallitasiCimek::acceptCurrent);
    connect(aBezar, &QAction::triggered, this, &QDialog::reject);
    connect(list, &QTableView::doubleClicked, this, [this] {
        if (m_chooseMode)
            m_aElfogad->trigger();
        else
            m_aSzerkeszt->trigger();
    });
    connect(list->horizontalHeader(), &QHeaderView::sectionClicked, this, &Tfrm_SzallitasiCimek::sortByColumn);
    connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &Tfrm_SzallitasiCimek::updateState);

    reload(preset);
    finishWindow(600, 320);
    list->setFocus();
}

Tfrm_SzallitasiCimek::~Tfrm_SzallitasiCimek() = default;

void Tfrm_SzallitasiCimek::reload(qint64 current, int fallbackRow) {
    try {
        m_rows = listDeliveryAddresses(
            m_db, m_ugyfel, m_sortColumn >= 0 ? deliveryAddressFields().value(m_sortColumn) : QString());
    } catch (const DbError& e) {
        m_rows.clear();
        dialogs().error(e.text());
    }
    m_model->removeRows(0, m_model->rowCount());
    int currentRow = -1;
    for (const DeliveryAddress& a : m_rows) {
        if (a.ugyfel_cim == current)
            currentRow = m_model->rowCount();
        m_model->appendRow({new QStandardItem(a.nev), new QStandardItem(a.irsz), new QStandardItem(a.varos),
                            new QStandardItem(a.cim)});
    }
    paintSortColumn(m_model, m_sortColumn);
    if (currentRow < 0)
        currentRow = std::min(fallbackRow, m_model->rowCount() - 1);
    if (currentRow >= 0)
        grid()->setCurrentIndex(m_model->index(currentRow, ColNev));
    fitColumns();
    updateState();
}

qint64 Tfrm_SzallitasiCimek::currentKey() const {
    const int row = grid()->currentIndex().row();
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)].ugyfel_cim : -1;
}

bool Tfrm_SzallitasiCimek::setCurrentKey(qint64 key) {
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].ugyfel_cim == key) {
            grid()->setCurrentIndex(m_model->index(int(i), ColNev));
            return true;
        }
    }
    return false;
}

void Tfrm_SzallitasiCimek::sortByColumn(int column) {
    if (column < 0 || column >= ColumnCount)
        return;
    m_sortColumn = column;
    reload(currentKey());
}

QString Tfrm_SzallitasiCimek::positionText() const {
    return QStringLiteral("%1: %2").arg(m_model->rowCount()).arg(grid()->currentIndex().row() + 1);
}

void Tfrm_SzallitasiCimek::updateState() {
    const bool hasRow = currentKey() >= 0;
    m_aSzerkeszt->setEnabled(hasRow);
    m_aTorol->setEnabled(hasRow);
    m_aElfogad->setEnabled(m_chooseMode && hasRow);
    positionLabel()->setText(positionText());
}

void Tfrm_SzallitasiCimek::fitColumns() {
    // The last column takes what is left.
    fitColumnShares(grid(), kColumnShares, grid()->viewport()->width());
}

bool Tfrm_SzallitasiCimek::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid()->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    return ListWindow::eventFilter(watched, event);
}

std::optional<qint64> Tfrm_SzallitasiCimek::editAddress(const DeliveryAddress& address) {
    Tfrm_SzallitasiCim dialog(m_db, address, this, givenDialogs());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.address().ugyfel_cim;
}

void Tfrm_SzallitasiCimek::newAddress() {
    DeliveryAddress a;
    try {
        a = newDeliveryAddress(m_db, m_ugyfel);
    } catch (const DbError& e) {
        dialogs().error(e.text());
        return;
    }
    if (const std::optional<qint64> saved = editAddress(a))
        reload(*saved);
}

void Tfrm_SzallitasiCimek::addHeadOffice() {
    try {
        reload(addHeadOfficeAddress(m_db, m_ugyfel));
    } catch (const DbError& e) {
        dialogs().error(e.text());
    }
}

void Tfrm_SzallitasiCimek::editCurrent() {
    const int row = grid()->currentIndex().row();
    if (row < 0 || row >= int(m_rows.size()))
        return;
    if (const std::optional<qint64> saved = editAddress(m_rows[size_t(row)]))
        reload(*saved);
}

void Tfrm_SzallitasiCimek::deleteCurrent() {
    const qint64 key = currentKey();
    if (key < 0)
        return;
    const int row = grid()->currentIndex().row();
    if (deleteDeliveryAddress(m_db, dialogs(), key))
        reload(-1, row);
}

void Tfrm_SzallitasiCimek::acceptCurrent() {
    if (!m_chooseMode || currentKey() < 0)
        return;
    m_chosen = currentKey();
    accept();
}

void openDeliveryAddresses(QWidget* parent, Database& db, qint64 ugyfel) {
    Tfrm_SzallitasiCimek window(db, ugyfel, false, -1, parent);
    window.exec();
}

std::optional<qint64> chooseDeliveryAddress(QWidget* parent, Database& db, qint64 ugyfel, qint64 preset) {
    Tfrm_SzallitasiCimek window(db, ugyfel, true, preset, parent);
    if (window.exec() != QDialog::Accepted || window.chosen() < 0)
        return std::nullopt;
    return window.chosen();
}

} // namespace orvix::ui
