#include "exports/ui/Tfrm_Forint.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Dialogs.h"
#include "core/ui/WindowSupport.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvix::ui {

HandOverWindow::HandOverWindow(Database& db, Dialogs& dialogs, const QString& title, const QString& name,
                               QWidget* parent)
    : QDialog(parent), m_db(db), m_dialogs(dialogs) {
    setObjectName(name);
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Export adatbázis útvonal"), this));
    auto* row = new QHBoxLayout;
    m_folder = new QLineEdit(app().config.forintUtvonal, this);
    m_folder->setObjectName(QStringLiteral("eUtvonal"));
    m_folder->setMinimumWidth(360);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QStringLiteral("bTalloz"));
    row->addWidget(m_folder, 1);
    row->addWidget(browse);
    layout->addLayout(row);
    m_progress = new QProgressBar(this);
    m_progress->setValue(0);
    layout->addWidget(m_progress);
    auto* buttons = new QHBoxLayout;
    m_run = new QPushButton(QStringLiteral("Adatok legyűjtése"), this);
    m_run->setObjectName(QStringLiteral("bLegyujt"));
    auto* close = new QPushButton(QStringLiteral("Bezár"), this);
    close->setObjectName(QStringLiteral("bBezar"));
    buttons->addWidget(m_run);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    m_chooseFolder = [this](const QString& start) {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Export adatbázis útvonal"), start);
    };
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = m_chooseFolder(m_folder->text());
        if (!chosen.isEmpty())
            m_folder->setText(QDir::toNativeSeparators(chosen));
    });
    connect(m_run, &QPushButton::clicked, this, &HandOverWindow::collect);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    setupWindow(this, name, false);
}

void HandOverWindow::collect() {
    m_run->setEnabled(false);
    try {
        const HandOverResult result = run([this](const QString&, int done, int total) {
            m_progress->setMaximum(qMax(total, 1));
            m_progress->setValue(done);
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
        if (!result.cancelled)
            m_dialogs.info(handOverSummary(result, withCustomers()));
    } catch (const HandOverError& e) {
        m_dialogs.error(e.text());
    } catch (const DbError& e) {
        m_dialogs.error(e.text());
    }
    m_progress->setValue(0);
    m_run->setEnabled(true);
}

void HandOverWindow::done(int result) {
    // The folder is kept for the rest of the session and written to the
    // configuration file at exit.
    app().config.forintUtvonal = m_folder->text().trimmed();
    QDialog::done(result);
}

Tfrm_Forint::Tfrm_Forint(Database& db, Dialogs& dialogs, QWidget* parent)
    : HandOverWindow(db, dialogs, QStringLiteral("ForintSoft könyvelő program interface"), QStringLiteral("Tfrm_Forint"),
                     parent) {}

HandOverResult Tfrm_Forint::run(const HandOverProgress& progress) {
    return exportForintSoft(m_db, m_dialogs, folderField()->text().trimmed(), progress);
}

} // namespace orvix::ui
