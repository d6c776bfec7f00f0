#include "maintenance/ui/Tfrm_Upd_Main.h"

#include "common/DatabaseList.h"
#include "common/IniFile.h"
#include "maintenance/ParadoxImport.h"
#include "maintenance/Reindex.h"
#include "maintenance/UpdConfig.h"
#include "maintenance/Upgrade.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace orvix::maintenance::ui {

namespace {

const QString kError = QStringLiteral("Hiba");
const QString kWarning = QStringLiteral("Figyelmeztetés");
const QString kMessage = QStringLiteral("Üzenet");

// Shows the run in the window: status line, progress bar, message boxes.
class WindowReporter : public Reporter {
public:
    WindowReporter(QWidget* window, QLabel* status, QProgressBar* bar)
        : m_window(window), m_status(status), m_bar(bar) {}
    void status(const QString& text) override {
        m_status->setText(text);
        m_status->repaint();
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    void progress(int value, int maximum) override {
        m_bar->setMaximum(maximum);
        m_bar->setValue(value);
    }
    void warning(const QString& text) override { QMessageBox::warning(m_window, kWarning, text); }
    void error(const QString& text) override { QMessageBox::critical(m_window, kError, text); }

private:
    QWidget* m_window;
    QLabel* m_status;
    QProgressBar* m_bar;
};

QString instructions() {
    return QStringLiteral(
        "Figyelmeztetés:\n"
        "Windows Vista, vagy Windows7, Windows8 alatt a karbantartó programot RENDSZERGAZDAKÉNT futtassa!\n\n"
        "Lépések, ha új verziót kíván telepíteni:\n"
        "1. Ellenőrizze, hogy egyetlen számítógépen se fusson a program.\n"
        "2. Nyomja meg a \"Választ\" gombot, és válassza ki az adatbázist.\n"
        "3. Nyomja meg a verzióváltás gombot a frissítéshez.\n"
        "4. Nyomja meg a karbantartás gombot az adatbázis hibajavításához, optimalizálásához.\n"
        "5. Zárja be a programot.\n\n"
        "Lépések, ha adatbázisa sérült, vagy csak lassabban fut a program:\n"
        "1. Ellenőrizze, hogy egyetlen számítógépen se fusson a program.\n"
        "2. Nyomja meg a \"Választ\" gombot, és válassza ki az adatbázist.\n"
        "3. Nyomja meg a karbantartás gombot az adatbázis hibajavításához, optimalizálásához.\n"
        "4. Zárja be a programot.");
}

QString reindexSummary(const ReindexResult& r) {
    if (r.clean())
        return QStringLiteral("A művelet sikeresen befejeződött.");
    QStringList lines;
    if (!r.failedTables.isEmpty())
        lines << QStringLiteral("Nem újraépített táblák: ") + r.failedTables.join(QStringLiteral(", "));
    if (r.integrity != QLatin1String("ok"))
        lines << QStringLiteral("Az ellenőrzés hibát talált:\n") + r.integrity;
    return lines.join(QLatin1Char('\n'));
}

} // namespace

Tfrm_AdatbazisValaszt::Tfrm_AdatbazisValaszt(const QStringList& names, const QStringList& folders, QWidget* parent)
    : QDialog(parent), m_folders(folders) {
    setObjectName(QStringLiteral("Tfrm_AdatbazisValaszt"));
    setWindowTitle(QStringLiteral("Orvix Számla program adatbázis választás"));
    auto* layout = new QVBoxLayout(this);
    auto* list = new QListWidget(this);
    list->setObjectName(QStringLiteral("lbAdatbazis"));
    list->addItems(names);
    if (!names.isEmpty())
        list->setCurrentRow(0);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("btnOk"));
    buttons->addButton(QStringLiteral("Mégsem"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this, list] {
        const int row = list->currentRow();
        if (row < 0)
            return;
        if (!QFileInfo(m_folders.value(row)).isDir()) {
            QMessageBox::critical(this, kError, QStringLiteral("Nem létező adatbázis mappa"));
            return;
        }
        m_chosen = row;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list, &QListWidget::itemDoubleClicked, this, [this, list] {
        m_chosen = list->currentRow();
        accept();
    });
}

Tfrm_Upd_Main::Tfrm_Upd_Main(const QString& programFolder, QWidget* parent)
    : QMainWindow(parent), m_programFolder(programFolder), m_iniPath(iniFilePath(programFolder)) {
    setObjectName(QStringLiteral("Tfrm_Upd_Main"));
    setWindowTitle(QStringLiteral("Orvix Számla adatbázis karbantartás V") + kUpdVersion);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(new QLabel(QStringLiteral("Adatbázis elérési útvonala"), central));
    m_path = new QLineEdit(central);
    m_path->setObjectName(QStringLiteral("edPath"));
    m_path->setText(initialDataFolder(IniFile(m_iniPath), m_iniPath));
    layout->addWidget(m_path);

    auto* row = new QHBoxLayout;
    const auto button = [&](const QString& name, const QString& text) {
        auto* b = new QPushButton(text, central);
        b->setObjectName(name);
        row->addWidget(b);
        return b;
    };
    connect(button(QStringLiteral("btnValaszt"), QStringLiteral("1. Választ")), &QPushButton::clicked, this,
            &Tfrm_Upd_Main::choose);
    connect(button(QStringLiteral("btnVerzio"), QStringLiteral("2. Verzióváltás")), &QPushButton::clicked, this,
            &Tfrm_Upd_Main::upgrade);
    connect(button(QStringLiteral("btnKarbantart"), QStringLiteral("3. Karbantartás")), &QPushButton::clicked, this,
            &Tfrm_Upd_Main::maintain);
    connect(button(QStringLiteral("btnBezar"), QStringLiteral("Bezárás")), &QPushButton::clicked, this,
            &QWidget::close);
    layout->addLayout(row);
    auto* paradox = new QPushButton(QStringLiteral("Régi (Paradox) adatbázis átvétele"), central);
    paradox->setObjectName(QStringLiteral("btnParadox"));
    connect(paradox, &QPushButton::clicked, this, &Tfrm_Upd_Main::importParadox);
    layout->addWidget(paradox);

    auto* text = new QLabel(instructions(), central);
    text->setWordWrap(true);
    layout->addWidget(text);
    setCentralWidget(central);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("pbProgress"));
    m_progress->setValue(0);
    statusBar()->addWidget(m_status, 1);
    statusBar()->addPermanentWidget(m_progress);
}

QString Tfrm_Upd_Main::path() const {
    return m_path->text().trimmed();
}

void Tfrm_Upd_Main::setPath(const QString& path) {
    m_path->setText(path);
}

QString Tfrm_Upd_Main::statusText() const {
    return m_status->text();
}

void Tfrm_Upd_Main::choose() {
    const IniFile ini(m_iniPath);
    QStringList names, folders;
    for (const DatabaseEntry& e : readDatabaseList(ini)) {
        names << e.name;
        folders << resolveDataFolder(e.folder, m_programFolder);
    }
    Tfrm_AdatbazisValaszt dialog(names, folders, this);
    if (dialog.exec() == QDialog::Accepted && dialog.chosen() >= 0)
        m_path->setText(folders.at(dialog.chosen()));
}

void Tfrm_Upd_Main::upgrade() {
    WindowReporter reporter(this, m_status, m_progress);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        const UpgradeResult r = upgradeFolder(path(), reporter);
        QApplication::restoreOverrideCursor();
        QMessageBox::information(this, kMessage,
                                 reindexSummary(r.reindex) + QStringLiteral("\nMentés: ") +
                                     QDir::toNativeSeparators(r.archive));
    } catch (const MaintenanceError& e) {
        QApplication::restoreOverrideCursor();
        m_status->clear();
        m_progress->setValue(0);
        QMessageBox::critical(this, kError, e.message());
    }
}

void Tfrm_Upd_Main::maintain() {
    WindowReporter reporter(this, m_status, m_progress);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        const ReindexResult r = reindexFolder(path(), reporter);
        QApplication::restoreOverrideCursor();
        QMessageBox::information(this, kMessage, reindexSummary(r));
    } catch (const MaintenanceError& e) {
        QApplication::restoreOverrideCursor();
        m_status->clear();
        m_progress->setValue(0);
        QMessageBox::critical(this, kError, e.message());
    }
}

void Tfrm_Upd_Main::importParadox() {
    const QString old = QFileDialog::getExistingDirectory(this, QStringLiteral("A régi (Paradox) adatbázis mappája"));
    if (old.isEmpty())
        return;
    const QString target = QFileDialog::getExistingDirectory(this, QStringLiteral("Az új adatbázis mappája"));
    if (target.isEmpty())
        return;
    WindowReporter reporter(this, m_status, m_progress);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        const ParadoxImportResult r = maintenance::importParadox(old, target, reporter);
        QApplication::restoreOverrideCursor();
        QStringList lines{QStringLiteral("Az átvétel befejeződött.")};
        lines << r.tables;
        if (!r.unknownTables.isEmpty())
            lines << QStringLiteral("Ismeretlen táblák (nem vettem át): ") + r.unknownTables.join(QStringLiteral(", "));
        if (!r.unknownFields.isEmpty())
            lines << QStringLiteral("Ismeretlen mezők (nem vettem át): ") + r.unknownFields.join(QStringLiteral(", "));
        QMessageBox::information(this, kMessage, lines.join(QLatin1Char('\n')));
        m_path->setText(target);
    } catch (const MaintenanceError& e) {
        QApplication::restoreOverrideCursor();
        m_status->clear();
        m_progress->setValue(0);
        QMessageBox::critical(this, kError, e.message());
    }
}

} // namespace orvix::maintenance::ui
