#include "core/ui/Tfrm_AdatbazisokBDE.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Archive.h"
#include "core/Dialogs.h"
#include "core/ui/MessageBoxes.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/Tfrm_AdatbazisEdit.h"

#include <QAction>
#include <QColor>
#include <QDate>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <algorithm>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_AdatbazisokBDE");
} // namespace

Tfrm_AdatbazisokBDE::Tfrm_AdatbazisokBDE(QWidget* parent)
    : ListWindow(kWindowName, QStringLiteral("Adatbázisok"), parent, nullptr) {
    m_model = new QStandardItemModel(0, 3, this);
    m_model->setHorizontalHeaderLabels(
        {QStringLiteral("Megnevezés"), QStringLiteral("Elérési útvonal"), QStringLiteral("adatbazis")});
    QTableView* list = makeGrid(m_model);
    list->setColumnHidden(ColAdatbazis, true);

    m_aUj = addListAction(QStringLiteral("aUj"), QStringLiteral("Új"), QKeySequence(Qt::Key_Insert));
    m_aSzerkeszt =
        addListAction(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QKeySequence(Qt::Key_F2));
    m_aTorol = addListAction(QStringLiteral("aTorol"), QStringLiteral("Töröl"),
                             QKeySequence(Qt::CTRL | Qt::Key_Delete));
    m_aTeszt =
        addListAction(QStringLiteral("aTeszt"), QStringLiteral("Teszt"), QKeySequence(Qt::CTRL | Qt::Key_T));
    m_aArchival = addListAction(QStringLiteral("aArchival"), QStringLiteral("Bizt.mentés"));
    m_aArchival->setEnabled(false);
    m_aRestore = addListAction(QStringLiteral("aRestore"), QStringLiteral("Visszaállítás archívumból"));
    m_aBezar = addListAction(QStringLiteral("aBezar"), QStringLiteral("Bezár"), QKeySequence(Qt::Key_Escape));

    layOut(makeToolBar({{m_aUj, m_aSzerkeszt, m_aTorol}, {m_aTeszt, m_aArchival, m_aRestore}, {m_aBezar}}), nullptr,
           nullptr, list, makeStatusBar());

    connect(m_aUj, &QAction::triggered, this, &Tfrm_AdatbazisokBDE::newEntry);
    connect(m_aSzerkeszt, &QAction::triggered, this, &Tfrm_AdatbazisokBDE::editCurrent);
    connect(m_aTorol, &QAction::triggered, this, &Tfrm_AdatbazisokBDE::deleteCurrent);
    connect(m_aTeszt, &QAction::triggered, this, &Tfrm_AdatbazisokBDE::testCurrent);
    connect(m_aArchival, &QAction::triggered, this, &Tfrm_AdatbazisokBDE::backupCurrent);
    connect(m_aRestore, &QAction::triggered, this, &Tfrm_AdatbazisokBDE::restoreFromArchive);
    connect(m_aBezar, &QAction::triggered, this, &QDialog::reject);
    connect(list, &QTableView::doubleClicked, this, [this] { m_aSzerkeszt->trigger(); });
    connect(list->horizontalHeader(), &QHeaderView::sectionClicked, this, &Tfrm_AdatbazisokBDE::sortByColumn);
    connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &Tfrm_AdatbazisokBDE::updateState);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &Tfrm_AdatbazisokBDE::updateState);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &Tfrm_AdatbazisokBDE::updateState);

    load();
    finishWindow(560, 320);
}

QList<QStandardItem*> Tfrm_AdatbazisokBDE::makeRow(const QString& name, const QString& folder,
                                                   int position) const {
    auto* number = new QStandardItem;
    number->setData(position, Qt::DisplayRole);
    return {new QStandardItem(name), new QStandardItem(folder), number};
}

void Tfrm_AdatbazisokBDE::load() {
    for (const DatabaseEntry& e : readDatabaseList(app().ini))
        m_model->appendRow(makeRow(e.name, e.folder, e.position));
    if (m_model->rowCount() > 0)
        setCurrentRow(0);
    updateState();
}

std::vector<DatabaseEntry> Tfrm_AdatbazisokBDE::entries() const {
    std::vector<DatabaseEntry> list;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        DatabaseEntry e;
        e.name = m_model->item(row, ColNev)->text();
        e.folder = m_model->item(row, ColUtvonal)->text();
        e.position = m_model->item(row, ColAdatbazis)->data(Qt::DisplayRole).toInt();
        e.raw = formatDatabaseEntry(e.name, e.folder);
        list.push_back(e);
    }
    return list;
}

int Tfrm_AdatbazisokBDE::currentRow() const {
    return grid()->currentIndex().row();
}

void Tfrm_AdatbazisokBDE::setCurrentRow(int row) {
    if (row < 0 || row >= m_model->rowCount())
        return;
    grid()->setCurrentIndex(m_model->index(row, ColNev));
}

QString Tfrm_AdatbazisokBDE::positionText() const {
    return QStringLiteral("%1: %2").arg(m_model->rowCount()).arg(currentRow() + 1);
}

void Tfrm_AdatbazisokBDE::sortByColumn(int column) {
    if (column != ColNev && column != ColUtvonal)
        return;
    m_sortColumn = column;
    applySort();
}

void Tfrm_AdatbazisokBDE::applySort() {
    if (m_sortColumn < 0)
        return;
    // Take the rows out, order them and put them back, keeping the current
    // row on the same entry.
    const QStandardItem* current = currentRow() >= 0 ? m_model->item(currentRow(), ColNev) : nullptr;
    std::vector<QList<QStandardItem*>> rows;
    while (m_model->rowCount() > 0)
        rows.push_back(m_model->takeRow(0));
    const int column = m_sortColumn;
    std::stable_sort(rows.begin(), rows.end(), [column](const auto& a, const auto& b) {
        return compareHungarian(a.at(column)->text(), b.at(column)->text()) < 0;
    });
    for (auto& row : rows) {
        for (int c = ColNev; c <= ColUtvonal; ++c)
            row[c]->setData(c == column ? QVariant(kSortColumnColor) : QVariant(), Qt::BackgroundRole);
        m_model->appendRow(row);
    }
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->item(row, ColNev) == current)
            setCurrentRow(row);
    }
    updateState();
}

void Tfrm_AdatbazisokBDE::updateState() {
    const bool hasRow = currentRow() >= 0;
    m_aSzerkeszt->setEnabled(hasRow);
    m_aTorol->setEnabled(hasRow);
    m_aTeszt->setEnabled(hasRow);
    m_aArchival->setEnabled(hasRow);
    positionLabel()->setText(positionText());
}

void Tfrm_AdatbazisokBDE::fitColumns() {
    const int width = std::max(0, grid()->width() - 40);
    grid()->setColumnWidth(ColNev, width * 23 / 100);
    grid()->setColumnWidth(ColUtvonal, width * 77 / 100);
}

bool Tfrm_AdatbazisokBDE::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid() && event->type() == QEvent::Resize)
        fitColumns();
    return ListWindow::eventFilter(watched, event);
}

void Tfrm_AdatbazisokBDE::newEntry() {
    // The ini holds ConStr1 … ConStr25: a further entry would be lost on closing.
    if (m_model->rowCount() >= kMaxDatabases) {
        errorBox(this, QStringLiteral("Legfeljebb %1 adatbázis szerepelhet a listában.").arg(kMaxDatabases));
        return;
    }
    QString name;
    QString folder;
    if (!editEntry(name, folder, true))
        return;
    m_model->appendRow(makeRow(name, folder, 0));
    setCurrentRow(m_model->rowCount() - 1);
    applySort();
}

void Tfrm_AdatbazisokBDE::editCurrent() {
    const int row = currentRow();
    if (row < 0)
        return;
    QString name = m_model->item(row, ColNev)->text();
    QString folder = m_model->item(row, ColUtvonal)->text();
    if (!editEntry(name, folder, false))
        return;
    m_model->item(row, ColNev)->setText(name);
    m_model->item(row, ColUtvonal)->setText(folder);
    applySort();
}

void Tfrm_AdatbazisokBDE::deleteCurrent() {
    const int row = currentRow();
    if (row < 0)
        return;
    if (!questionBox(this, kCaptionConfirm, QStringLiteral("Valóban töröljem az adatbázist a listából?")))
        return;
    m_model->removeRow(row);
    setCurrentRow(std::min(row, m_model->rowCount() - 1));
    updateState();
}

void Tfrm_AdatbazisokBDE::testCurrent() {
    const int row = currentRow();
    if (row < 0)
        return;
    // Tested the way the program opens it: a relative folder counts from the program folder.
    const QString folder = resolveDataFolder(m_model->item(row, ColUtvonal)->text(), app().folders.program);
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        infoBox(this, QStringLiteral("Adatbázis mappa elérhető"));
    else
        errorBox(this, QStringLiteral("Nem létező adatbázis mappa"));
}

void Tfrm_AdatbazisokBDE::backupCurrent() {
    const int row = currentRow();
    if (row < 0)
        return;
    const QString folder = resolveDataFolder(m_model->item(row, ColUtvonal)->text(), app().folders.program);
    QtDialogs dialogs(this);
    const QString archiveFolder = backupArchiveFolder(app(), dialogs);
    const QString file = chooseBackupFile(offeredArchiveFile(archiveFolder, QDate::currentDate()));
    if (file.isEmpty())
        return;
    backupDataFolder(app(), folder, file, dialogs);
}

void Tfrm_AdatbazisokBDE::restoreFromArchive() {
    const QString file = chooseArchiveFile();
    if (file.isEmpty())
        return;
    const QString folder = chooseRestoreFolder();
    if (folder.isEmpty())
        return;
    if (const auto error = restoreArchive(file, folder)) {
        errorBox(this, error.value());
        return;
    }
    if (!questionBox(this, kCaptionConfirm,
                     QStringLiteral("Az adatbázis visszaállítva ide:\n%1\nFelvegyem az adatbázisok listájába?")
                         .arg(QDir::toNativeSeparators(folder))))
        return;
    if (m_model->rowCount() >= kMaxDatabases) {
        errorBox(this, QStringLiteral("Legfeljebb %1 adatbázis szerepelhet a listában.").arg(kMaxDatabases));
        return;
    }
    QString name = QFileInfo(folder).fileName();
    QString path = folder;
    if (!editEntry(name, path, false))
        return;
    m_model->appendRow(makeRow(name, path, 0));
    setCurrentRow(m_model->rowCount() - 1);
    applySort();
}

QString Tfrm_AdatbazisokBDE::chooseBackupFile(const QString& offered) {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Bizt.mentés"), offered,
                                        QStringLiteral("ZIP archívumok (*.zip)"));
}

QString Tfrm_AdatbazisokBDE::chooseArchiveFile() {
    return QFileDialog::getOpenFileName(this, QStringLiteral("Visszaállítás archívumból"), app().folders.archive,
                                        QStringLiteral("ZIP archívumok (*.zip)"));
}

QString Tfrm_AdatbazisokBDE::chooseRestoreFolder() {
    return QFileDialog::getExistingDirectory(this, QStringLiteral("Új, üres mappa a visszaállításhoz"),
                                             app().folders.work);
}

bool Tfrm_AdatbazisokBDE::editEntry(QString& name, QString& folder, bool isNew) {
    Tfrm_AdatbazisEdit window(this);
    if (!isNew) {
        window.setName(name);
        window.setFolder(folder);
    }
    if (window.exec() != QDialog::Accepted)
        return false;
    name = window.name();
    folder = window.folder();
    return true;
}

void Tfrm_AdatbazisokBDE::saveList() {
    writeDatabaseList(app().ini, entries());
    if (!app().ini.save())
        errorBox(this, QStringLiteral("A beállítások mentése sikertelen:\n%1").arg(app().ini.path()));
}

// Every way of closing the window ("Bezár", Esc, the title bar) ends here.
void Tfrm_AdatbazisokBDE::done(int result) {
    saveList();
    ListWindow::done(result);
}

} // namespace orvix::ui
