#include "invoicing/ui/Tfrm_SorImport.h"

#include "common/Codepage.h"
#include "core/AppContext.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/WindowSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {

const QString kWindowName = QStringLiteral("Tfrm_SorImport");
const QString kDefaults = QStringLiteral("Defaults");

} // namespace

Tfrm_SorImport::Tfrm_SorImport(QWidget* parent, Dialogs* dialogs) : QDialog(parent), m_dialogs(this, dialogs) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Sorok hozzáadása import"));
    const AppConfig& config = app().config;

    auto* open = new QAction(QStringLiteral("Megnyitás file-ból"), this);
    open->setObjectName(QStringLiteral("aMegnyit"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    auto* accept = new QAction(QStringLiteral("Elfogad"), this);
    accept->setObjectName(QStringLiteral("aElfogad"));
    accept->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    auto* cancel = new QAction(QStringLiteral("Mégsem"), this);
    cancel->setObjectName(QStringLiteral("aMegsem"));
    cancel->setShortcut(QKeySequence(Qt::Key_Escape));
    for (QAction* a : {open, accept, cancel}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }
    auto* toolBar = new QToolBar(this);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolBar->addActions({open, accept, cancel});

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Memo1"));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* order = new QGroupBox(QStringLiteral("Rendezés"), this);
    m_below = new QRadioButton(QStringLiteral("Egymás alatt"), order);
    m_below->setObjectName(QStringLiteral("rbEgymasAlatt"));
    m_semicolon = new QRadioButton(QStringLiteral("Egymás mellett pontosvesszővel"), order);
    m_semicolon->setObjectName(QStringLiteral("rbPontosvesszo"));
    (config.shImpRend == 1 ? m_semicolon : m_below)->setChecked(true);
    auto* orderLayout = new QVBoxLayout(order);
    orderLayout->addWidget(m_below);
    orderLayout->addWidget(m_semicolon);

    auto* data = new QGroupBox(QStringLiteral("Adatok"), this);
    m_quantity = new QCheckBox(QStringLiteral("Mennyiség megadás"), data);
    m_quantity->setObjectName(QStringLiteral("cbMennyiseg"));
    m_quantity->setChecked(config.shImpQty);
    m_price = new QCheckBox(QStringLiteral("Ár megadás"), data);
    m_price->setObjectName(QStringLiteral("cbAr"));
    m_price->setChecked(config.shImpPrice);
    auto* dataLayout = new QVBoxLayout(data);
    dataLayout->addWidget(m_quantity);
    dataLayout->addWidget(m_price);

    auto* after = new QGroupBox(QStringLiteral("Megnyitás után"), this);
    m_move = new QCheckBox(QStringLiteral("File áthelyezése"), after);
    m_move->setObjectName(QStringLiteral("cbAthelyez"));
    m_move->setChecked(config.shAtnevez);
    m_archive = new QLineEdit(config.shUjUtvonal, after);
    m_archive->setObjectName(QStringLiteral("eUtvonal"));
    auto* browse = new QToolButton(after);
    browse->setObjectName(QStringLiteral("bUtvonal"));
    browse->setText(QStringLiteral("..."));
    browse->setToolTip(QStringLiteral("Archív útvonala"));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_archive, 1);
    folderRow->addWidget(browse);
    auto* afterLayout = new QVBoxLayout(after);
    afterLayout->addWidget(m_move);
    afterLayout->addLayout(folderRow);

    auto* side = new QVBoxLayout;
    side->addWidget(order);
    side->addWidget(data);
    side->addWidget(after);
    side->addStretch();
    auto* okButton = new QPushButton(QStringLiteral("Elfogad"), this);
    okButton->setObjectName(QStringLiteral("BitBtn1"));
    auto* cancelButton = new QPushButton(QStringLiteral("Mégsem"), this);
    cancelButton->setObjectName(QStringLiteral("BitBtn2"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    side->addLayout(buttons);

    auto* body = new QHBoxLayout;
    body->addWidget(m_text, 1);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(toolBar);
    layout->addLayout(body, 1);

    connect(open, &QAction::triggered, this, [this] {
        const QString path = askFileName();
        if (!path.isEmpty())
            loadFile(path);
    });
    connect(browse, &QToolButton::clicked, this, [this] {
        const QString folder = askArchiveFolder();
        if (!folder.isEmpty())
            m_archive->setText(folder);
    });
    connect(accept, &QAction::triggered, this, &Tfrm_SorImport::acceptChoices);
    connect(okButton, &QPushButton::clicked, this, &Tfrm_SorImport::acceptChoices);
    connect(cancel, &QAction::triggered, this, &QDialog::reject);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    resize(620, 420);
    setupWindow(this, kWindowName, true, false);
    m_text->setFocus();
}

Tfrm_SorImport::~Tfrm_SorImport() = default;

QAction* Tfrm_SorImport::action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

ImportOptions Tfrm_SorImport::options() const {
    return {m_semicolon->isChecked(), m_quantity->isChecked(), m_price->isChecked()};
}

QString Tfrm_SorImport::text() const {
    return m_text->toPlainText();
}

QString Tfrm_SorImport::askFileName() {
    return QFileDialog::getOpenFileName(this, QStringLiteral("Import betöltés"), m_archive->text(),
                                        QStringLiteral("Text állományok (*.txt *.csv);;Minden file (*)"));
}

QString Tfrm_SorImport::askArchiveFolder() {
    return QFileDialog::getExistingDirectory(this, QStringLiteral("Archív útvonala"), m_archive->text());
}

bool Tfrm_SorImport::loadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_dialogs->error(QStringLiteral("A fájl nem olvasható: %1\n%2").arg(path, file.errorString()));
        return false;
    }
    m_text->setPlainText(decodeUtf8OrCp1250(file.readAll()));
    file.close();
    if (m_move->isChecked()) {
        if (const std::optional<QString> problem = MoveImportedFile(path, m_archive->text()))
            m_dialogs->error(*problem);
    }
    return true;
}

void Tfrm_SorImport::acceptChoices() {
    AppConfig& config = app().config;
    config.shImpRend = m_semicolon->isChecked() ? 1 : 0;
    config.shImpQty = m_quantity->isChecked();
    config.shImpPrice = m_price->isChecked();
    config.shUjUtvonal = m_archive->text();
    config.shAtnevez = m_move->isChecked();
    // Written at once, so that the choices survive whatever happens later.
    IniFile& ini = app().ini;
    ini.setInt(kDefaults, QStringLiteral("SHImpRend"), config.shImpRend);
    ini.setBool(kDefaults, QStringLiteral("SHImpQty"), config.shImpQty);
    ini.setBool(kDefaults, QStringLiteral("SHImpPrice"), config.shImpPrice);
    ini.setValue(kDefaults, QStringLiteral("SHUjUtvonal"), config.shUjUtvonal);
    ini.setBool(kDefaults, QStringLiteral("SHAtnevez"), config.shAtnevez);
    if (!ini.path().isEmpty())
        ini.save();
    accept();
}

std::optional<ImportRequest> askImportLines(QWidget* parent) {
    Tfrm_SorImport window(parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return ImportRequest{window.text(), window.options()};
}

} // namespace orvix::ui
