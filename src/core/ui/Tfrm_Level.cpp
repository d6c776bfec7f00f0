#include "core/ui/Tfrm_Level.h"

#include "core/AppContext.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/WindowSupport.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_Level");

// The message text with its line numbers in the left margin.
class NumberedTextEdit : public QPlainTextEdit {
public:
    explicit NumberedTextEdit(QWidget* parent) : QPlainTextEdit(parent), m_margin(new Margin(this)) {
        connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { setViewportMargins(marginWidth(), 0, 0, 0); });
        connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
            if (dy)
                m_margin->scroll(0, dy);
            else
                m_margin->update(0, rect.y(), m_margin->width(), rect.height());
        });
        setViewportMargins(marginWidth(), 0, 0, 0);
    }
    int marginWidth() const {
        return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * int(QString::number(std::max(1, blockCount())).size());
    }

protected:
    void resizeEvent(QResizeEvent* e) override {
        QPlainTextEdit::resizeEvent(e);
        const QRect r = contentsRect();
        m_margin->setGeometry(QRect(r.left(), r.top(), marginWidth(), r.height()));
    }

private:
    class Margin : public QWidget {
    public:
        explicit Margin(NumberedTextEdit* edit) : QWidget(edit), m_edit(edit) {}

    protected:
        void paintEvent(QPaintEvent* e) override {
            QPainter p(this);
            p.fillRect(e->rect(), palette().color(QPalette::Window));
            QTextBlock block = m_edit->firstVisibleBlock();
            int top = qRound(m_edit->blockBoundingGeometry(block).translated(m_edit->contentOffset()).top());
            while (block.isValid() && top <= e->rect().bottom()) {
                const int height = qRound(m_edit->blockBoundingRect(block).height());
                if (block.isVisible())
                    p.drawText(0, top, width() - 4, m_edit->fontMetrics().height(), Qt::AlignRight,
                               QString::number(block.blockNumber() + 1));
                block = block.next();
                top += height;
            }
        }

    private:
        NumberedTextEdit* m_edit;
    };
    Margin* m_margin;
};
} // namespace

Tfrm_Level::Tfrm_Level(const MailMessage& message, Sender send, Dialogs* dialogs, QWidget* parent)
    : QDialog(parent), m_sender(std::move(send)) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("E-mail küldés"));
    setModal(true);
    if (!dialogs) {
        m_ownDialogs = std::make_unique<QtDialogs>(this);
        dialogs = m_ownDialogs.get();
    }
    m_dialogs = dialogs;

    auto* tabs = new QTabWidget(this);
    auto* page = new QWidget(tabs);
    tabs->addTab(page, QStringLiteral("Levélküdés"));

    m_recipient = new QLineEdit(message.recipient, page);
    m_recipient->setObjectName(QStringLiteral("edCimzett"));
    m_subject = new QLineEdit(message.subject, page);
    m_subject->setObjectName(QStringLiteral("edTargy"));
    m_attachment = new QLineEdit(message.attachment, page);
    m_attachment->setObjectName(QStringLiteral("edCsatolt"));
    auto* browse = new QToolButton(page);
    browse->setObjectName(QStringLiteral("btnCsatolt"));
    browse->setText(QStringLiteral("..."));
    connect(browse, &QToolButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Csatolt file"), m_attachment->text());
        if (!path.isEmpty())
            m_attachment->setText(path);
    });
    m_send = new QPushButton(QStringLiteral("Küldés"), page);
    m_send->setObjectName(QStringLiteral("btnKuldes"));
    auto* cancel = new QPushButton(QStringLiteral("Mégsem"), page);
    cancel->setObjectName(QStringLiteral("btnMegsem"));
    connect(m_send, &QPushButton::clicked, this, &Tfrm_Level::send);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_body = new NumberedTextEdit(page);
    m_body->setObjectName(QStringLiteral("mmSzoveg"));
    // The text area marks its current line; the focus colour is for the
    // three fields above it.
    keepOwnFocusColour(m_body);
    m_body->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(std::clamp(app().config.fontSize, kMinFontSize, kMaxFontSize));
    m_body->setFont(fixed);
    m_body->setPlainText(message.body);
    // The current line in its own colour.
    const auto paintLine = [this] {
        QTextEdit::ExtraSelection line;
        line.format.setBackground(QColor(230, 240, 255));
        line.format.setProperty(QTextFormat::FullWidthSelection, true);
        line.cursor = m_body->textCursor();
        line.cursor.clearSelection();
        m_body->setExtraSelections({line});
    };
    connect(m_body, &QPlainTextEdit::cursorPositionChanged, this, paintLine);
    paintLine();

    auto* grid = new QGridLayout;
    const auto addRow = [&](int row, const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, page);
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
    };
    addRow(0, QStringLiteral("Címzett"), m_recipient);
    addRow(1, QStringLiteral("Tárgy"), m_subject);
    addRow(2, QStringLiteral("Csatolt file"), m_attachment);
    grid->addWidget(browse, 2, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_send);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(grid, 1);
    top->addLayout(buttons);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addLayout(top);
    pageLayout->addWidget(m_body, 1);

    m_status = new QStatusBar(this);
    m_status->addWidget(new QLabel(this), 1);
    m_status->addWidget(new QLabel(this), 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs, 1);
    layout->addWidget(m_status);
    resize(560, 420);

    setupWindow(this, kWindowName, true);
    m_recipient->setFocus();
}

Tfrm_Level::~Tfrm_Level() = default;

MailMessage Tfrm_Level::message() const {
    MailMessage m;
    m.recipient = m_recipient->text().trimmed();
    m.subject = m_subject->text();
    m.attachment = m_attachment->text().trimmed();
    m.body = m_body->toPlainText();
    return withExistingAttachment(m);
}

void Tfrm_Level::send() {
    const QString error = m_sender ? m_sender(message()) : QString();
    if (!error.isEmpty()) {
        // The window stays open: the user may correct the address or cancel.
        m_dialogs->error(error);
        return;
    }
    accept();
}

Tfrm_Level::Sender programMailSender() {
    const SmtpSettings smtp = readSmtpSettings(app().ini);
    return [smtp](const MailMessage& m) { return handOverMail(smtp, m); };
}

bool ShowMailWindow(QWidget* parent, const MailMessage& message) {
    Tfrm_Level window(message, programMailSender(), nullptr, parent);
    if (window.exec() != QDialog::Accepted)
        return false;
    // The program sent it itself: the user is told, as a mail program would.
    if (readSmtpSettings(app().ini).configured())
        QtDialogs(parent).info(QStringLiteral("A levél elküldve: %1").arg(window.message().recipient));
    return true;
}

} // namespace orvix::ui
