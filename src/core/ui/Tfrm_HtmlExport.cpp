#include "core/ui/Tfrm_HtmlExport.h"

#include "core/AppContext.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/Tfrm_Level.h"
#include "core/ui/WindowSupport.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_HtmlExport");
const QString kMailText = QStringLiteral("Html küldés");
} // namespace

Tfrm_HtmlExport::Tfrm_HtmlExport(const HtmlList& list, const QString& folder, Dialogs* dialogs, QWidget* parent)
    : QDialog(parent), m_list(list) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("HTML export"));
    setModal(true);
    if (!dialogs) {
        m_ownDialogs = std::make_unique<QtDialogs>(this);
        dialogs = m_ownDialogs.get();
    }
    m_dialogs = dialogs;
    m_openFile = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    m_mail = [this](const MailMessage& m) {
        // With an SMTP server the program sends the page itself and needs a
        // recipient: the composition window asks for it.
        const SmtpSettings smtp = readSmtpSettings(app().ini);
        if (smtp.configured()) {
            ShowMailWindow(this, m);
            return QString();
        }
        return handOverMail(smtp, m);
    };

    auto* label = new QLabel(QStringLiteral("Mentés helye"), this);
    m_path = new QLineEdit(QDir::toNativeSeparators(htmlFileProposal(folder, list.title)), this);
    m_path->setObjectName(QStringLiteral("edHely"));
    m_path->setMinimumWidth(360);
    label->setBuddy(m_path);
    auto* browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("btnTallo"));
    browse->setText(QStringLiteral("..."));
    connect(browse, &QToolButton::clicked, this, [this] {
        QFileDialog dialog(this, QStringLiteral("Mentés helye"), m_path->text(),
                           QStringLiteral("HTML dokumentum (*.htm *.html)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("htm"));
        dialog.selectFile(m_path->text());
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            m_path->setText(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
    });
    m_openAfter = new QCheckBox(QStringLiteral("Mentés után megnyitás"), this);
    m_openAfter->setChecked(true);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("BitBtn1"));
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Mégsem"), this);
    cancel->setObjectName(QStringLiteral("BitBtn2"));
    m_mailButton = new QPushButton(QStringLiteral("E-Mail"), this);
    m_mailButton->setObjectName(QStringLiteral("btnEmail"));
    connect(m_ok, &QPushButton::clicked, this, &Tfrm_HtmlExport::ok);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_mailButton, &QPushButton::clicked, this, &Tfrm_HtmlExport::mail);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setValue(0);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(browse);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_mailButton);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(pathRow);
    layout->addWidget(m_openAfter);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setupWindow(this, kWindowName, false);
}

Tfrm_HtmlExport::~Tfrm_HtmlExport() = default;

bool Tfrm_HtmlExport::writePage() {
    const QString path = QDir::fromNativeSeparators(m_path->text().trimmed());
    if (path.isEmpty()) {
        m_dialogs->error(QStringLiteral("Nincs megadva a mentés helye."));
        return false;
    }
    m_progress->setRange(0, std::max(1, m_list.rowCount));
    const QStringList lines = htmlPageLines(m_list, QDateTime::currentDateTime(), kHtmlProgramTitle,
                                            [this](int done) { m_progress->setValue(done); });
    const QString error = writeHtmlPage(path, lines);
    m_progress->setValue(0);
    if (!error.isEmpty()) {
        m_dialogs->error(error);
        return false;
    }
    m_writtenFolder = QFileInfo(path).absolutePath();
    if (m_openAfter->isChecked() && !m_openFile(QUrl::fromLocalFile(path)))
        m_dialogs->warning(openFailedText(path));
    return true;
}

void Tfrm_HtmlExport::ok() {
    if (writePage())
        accept();
}

void Tfrm_HtmlExport::mail() {
    m_openAfter->setChecked(false);
    if (!writePage())
        return;
    MailMessage m;
    m.subject = kMailText;
    m.body = kMailText;
    m.attachment = QDir::fromNativeSeparators(m_path->text().trimmed());
    const QString error = m_mail(m);
    if (!error.isEmpty())
        m_dialogs->error(error);
}

QVector<HtmlColumn> gridColumns(const QTableView& grid, const std::function<QString(int column)>& fieldOfColumn) {
    QVector<HtmlColumn> out;
    const QAbstractItemModel* model = grid.model();
    if (!model)
        return out;
    const QHeaderView* header = grid.horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (grid.isColumnHidden(column))
            continue;
        HtmlColumn c;
        c.field = fieldOfColumn(column);
        c.title = model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        c.width = grid.columnWidth(column);
        // The first row's alignment; an empty list the heading's own.
        const QVariant align = model->rowCount() > 0 ? model->data(model->index(0, column), Qt::TextAlignmentRole)
                                                     : model->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole);
        const int a = align.toInt();
        c.align = (a & Qt::AlignRight) ? HtmlAlign::Right : (a & Qt::AlignHCenter) ? HtmlAlign::Center : HtmlAlign::Left;
        out << c;
    }
    return out;
}

void htmlExport(QWidget* parent, const HtmlList& list) {
    AppContext& ctx = app();
    Tfrm_HtmlExport window(list, ctx.config.html, nullptr, parent);
    window.exec();
    if (!window.writtenFolder().isEmpty())
        ctx.config.html = window.writtenFolder();
}

} // namespace orvix::ui
