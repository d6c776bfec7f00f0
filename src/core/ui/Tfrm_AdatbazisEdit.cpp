#include "core/ui/Tfrm_AdatbazisEdit.h"

#include "common/DatabaseList.h"
#include "core/AppContext.h"
#include "core/ui/MessageBoxes.h"
#include "core/ui/WindowSupport.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_AdatbazisEdit");
constexpr int kNameLength = 50;
constexpr int kFolderLength = 255;
} // namespace

Tfrm_AdatbazisEdit::Tfrm_AdatbazisEdit(QWidget* parent) : QDialog(parent) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Adatbázis"));

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("adatbazis_nev"));
    m_name->setMaxLength(kNameLength);
    m_folder = new QLineEdit(this);
    m_folder->setObjectName(QStringLiteral("utvonal"));
    m_folder->setMaxLength(kFolderLength);
    m_browse = new QPushButton(QStringLiteral("..."), this);
    m_browse->setObjectName(QStringLiteral("btnTalloz"));
    m_browse->setToolTip(QStringLiteral("Mappa kiválasztása"));
    m_browse->setAutoDefault(false);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(m_browse);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("megjelenített név"), m_name);
    form->addRow(QStringLiteral("elérési útvonal"), folderRow);

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons.row);

    connect(m_browse, &QPushButton::clicked, this, &Tfrm_AdatbazisEdit::browse);
    connect(buttons.ok, &QPushButton::clicked, this, [this] { tryAccept(); });

    resize(480, sizeHint().height());
    setupWindow(this, kWindowName, false);
}

QString Tfrm_AdatbazisEdit::name() const {
    return m_name->text().trimmed();
}

QString Tfrm_AdatbazisEdit::folder() const {
    return m_folder->text().trimmed();
}

// A longer text written into the ini by hand is shown whole rather than cut
// to the field's width, which would change it on "OK" unnoticed.
void Tfrm_AdatbazisEdit::setName(const QString& name) {
    m_name->setMaxLength(std::max<int>(kNameLength, name.size()));
    m_name->setText(name);
}

void Tfrm_AdatbazisEdit::setFolder(const QString& folder) {
    m_folder->setMaxLength(std::max<int>(kFolderLength, folder.size()));
    m_folder->setText(folder);
}

bool Tfrm_AdatbazisEdit::tryAccept() {
    QLineEdit* wrong = nullptr;
    QString message;
    if (name().isEmpty()) {
        wrong = m_name;
        message = QStringLiteral("A megjelenített név nem lehet üres.");
    } else if (name().contains(QLatin1Char(';'))) {
        wrong = m_name;
        message = QStringLiteral("A megjelenített név nem tartalmazhat pontosvesszőt (;).");
    } else if (folder().isEmpty()) {
        wrong = m_folder;
        message = QStringLiteral("Az elérési útvonal nem lehet üres.");
    } else if (folder().contains(QLatin1Char(';'))) {
        wrong = m_folder;
        message = QStringLiteral("Az elérési útvonal nem tartalmazhat pontosvesszőt (;).");
    }
    if (wrong) {
        errorBox(this, message);
        wrong->setFocus();
        return false;
    }
    accept();
    return true;
}

void Tfrm_AdatbazisEdit::browse() {
    // Start from the folder typed so far (a relative one counts from the program folder).
    // A folder that does not exist (yet) starts from its nearest existing parent.
    QString start = resolveDataFolder(folder(), app().folders.program);
    while (!start.isEmpty() && !QFileInfo(start).isDir()) {
        const QString parent = QFileInfo(start).path();
        start = parent == start ? QString() : parent;
    }
    if (start.isEmpty())
        start = app().folders.program;
    const QString chosen =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Adatbázis mappa kiválasztása"), start);
    if (chosen.isEmpty())
        return;
    // Cutting a longer path to the field's width would register a different folder.
    if (chosen.size() > kFolderLength) {
        errorBox(this, QStringLiteral("A kiválasztott mappa elérési útvonala hosszabb %1 karakternél.")
                           .arg(kFolderLength));
        return;
    }
    m_folder->setText(QDir::toNativeSeparators(chosen));
}

} // namespace orvix::ui
