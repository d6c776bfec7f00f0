#include "core/ui/Tfrm_AdatbazisNyitBDE.h"

#include "common/DatabaseList.h"
#include "core/AppContext.h"
#include "core/ui/MessageBoxes.h"
#include "core/ui/WindowSupport.h"

#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_AdatbazisNyitBDE");
} // namespace

Tfrm_AdatbazisNyitBDE::Tfrm_AdatbazisNyitBDE(const QStringList& names, const QStringList& entries,
                                             QWidget* parent)
    : QDialog(parent), m_entries(entries) {
    setObjectName(kWindowName);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lbAdatbazis"));
    m_list->addItems(names);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons.row);

    connect(buttons.ok, &QPushButton::clicked, this, [this] { tryAccept(); });
    connect(m_list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { acceptItem(m_list->row(item)); });

    resize(360, 240);
    setupWindow(this, kWindowName, false, false);
}

int Tfrm_AdatbazisNyitBDE::currentIndex() const {
    return m_list->currentRow();
}

void Tfrm_AdatbazisNyitBDE::setCurrentIndex(int index) {
    m_list->setCurrentRow(index);
}

bool Tfrm_AdatbazisNyitBDE::tryAccept() {
    const int index = currentIndex();
    if (index < 0 || index >= m_entries.size()) {
        errorBox(this, QStringLiteral("Nincs kiválasztott adatbázis."));
        return false;
    }
    // A relative folder counts from the program folder, exactly as the
    // program will open it; the current directory plays no part.
    const QString folderText = parseDatabaseEntry(m_entries.at(index)).folder;
    const QString folder = resolveDataFolder(folderText, app().folders.program);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        errorBox(this, QStringLiteral("Nem létező adatbázis mappa"));
        return false;
    }
    acceptItem(index);
    return true;
}

void Tfrm_AdatbazisNyitBDE::acceptItem(int index) {
    if (index < 0 || index >= m_list->count())
        return;
    m_chosen = index;
    accept();
}

int chooseDatabaseWindow(QWidget* parent, const QString& caption, const QStringList& names,
                         const QStringList& entries) {
    Tfrm_AdatbazisNyitBDE window(names, entries, parent);
    window.setWindowTitle(caption);
    if (window.exec() != QDialog::Accepted)
        return -1;
    return window.chosenIndex();
}

} // namespace orvix::ui
