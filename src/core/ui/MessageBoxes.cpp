#include "core/ui/MessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace orvix::ui {

namespace {

MessageInterceptor& interceptor() {
    static MessageInterceptor instance;
    return instance;
}

// Remembers the active window and its focused field, and gives the focus back
// to them once the box is gone.
class FocusReturn {
public:
    FocusReturn() : m_window(QApplication::activeWindow()), m_focus(QApplication::focusWidget()) {}
    ~FocusReturn() {
        if (!m_window)
            return;
        m_window->activateWindow();
        if (m_focus && m_focus->window() == m_window)
            m_focus->setFocus(Qt::OtherFocusReason);
    }
    FocusReturn(const FocusReturn&) = delete;
    FocusReturn& operator=(const FocusReturn&) = delete;

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_focus;
};

struct ButtonText {
    QMessageBox::StandardButton button;
    const char16_t* text;
};

QMessageBox::StandardButton showBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                    const QString& text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton,
                                    QMessageBox::StandardButton escapeButton) {
    if (!parent)
        parent = QApplication::activeWindow();
    QMessageBox box(icon, caption, text, buttons, parent);
    // Set the texts here so that they are Hungarian even without Qt's translations.
    static const ButtonText kTexts[] = {{QMessageBox::Ok, u"OK"},
                                        {QMessageBox::Yes, u"Igen"},
                                        {QMessageBox::No, u"Nem"},
                                        {QMessageBox::Cancel, u"Mégsem"}};
    for (const ButtonText& entry : kTexts) {
        if (QAbstractButton* button = box.button(entry.button))
            button->setText(QString::fromUtf16(entry.text));
    }
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(escapeButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

Dialogs::Answer intercepted(MessageKind kind, const QString& caption, const QString& text) {
    return interceptor()(MessageRequest{kind, caption, text});
}

} // namespace

MessageInterceptor setMessageInterceptor(MessageInterceptor replacement) {
    MessageInterceptor previous = std::move(interceptor());
    interceptor() = std::move(replacement);
    return previous;
}

ScopedMessageInterceptor::ScopedMessageInterceptor(MessageInterceptor replacement)
    : m_previous(setMessageInterceptor(std::move(replacement))) {}

ScopedMessageInterceptor::~ScopedMessageInterceptor() {
    setMessageInterceptor(std::move(m_previous));
}

void errorBox(QWidget* parent, const QString& text) {
    if (interceptor()) {
        intercepted(MessageKind::Error, kCaptionError, text);
        return;
    }
    FocusReturn focusReturn;
    showBox(parent, QMessageBox::Critical, kCaptionError, text, QMessageBox::Ok, QMessageBox::Ok,
            QMessageBox::Ok);
}

void warningBox(QWidget* parent, const QString& text) {
    if (interceptor()) {
        intercepted(MessageKind::Warning, kCaptionWarning, text);
        return;
    }
    FocusReturn focusReturn;
    showBox(parent, QMessageBox::Warning, kCaptionWarning, text, QMessageBox::Ok, QMessageBox::Ok,
            QMessageBox::Ok);
}

void infoBox(QWidget* parent, const QString& text) {
    if (interceptor()) {
        intercepted(MessageKind::Info, kCaptionInfo, text);
        return;
    }
    FocusReturn focusReturn;
    showBox(parent, QMessageBox::Information, kCaptionInfo, text, QMessageBox::Ok, QMessageBox::Ok,
            QMessageBox::Ok);
}

bool questionBox(QWidget* parent, const QString& caption, const QString& text) {
    if (interceptor())
        return intercepted(MessageKind::Question, caption, text) == Dialogs::Answer::Yes;
    FocusReturn focusReturn;
    return showBox(parent, QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::Yes, QMessageBox::No) == QMessageBox::Yes;
}

Dialogs::Answer questionBox3(QWidget* parent, const QString& caption, const QString& text) {
    if (interceptor())
        return intercepted(MessageKind::Question3, caption, text);
    FocusReturn focusReturn;
    switch (showBox(parent, QMessageBox::Question, caption, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
                    QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return Dialogs::Answer::Yes;
    case QMessageBox::No:
        return Dialogs::Answer::No;
    default:
        return Dialogs::Answer::Cancel;
    }
}

} // namespace orvix::ui
