#include "core/ui/InputTextBox.h"

#include "core/ui/WindowSupport.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {
constexpr int kPromptWidth = 320;
} // namespace

InputTextBox::InputTextBox(const QString& caption, const QString& prompt, const QString& initial,
                           const QString& mask, QWidget* parent, Dialogs::Echo echo)
    : QDialog(parent) {
    setObjectName(QStringLiteral("InputTextBox"));
    setWindowTitle(caption);
    setModal(true);

    m_prompt = new QLabel(prompt, this);
    m_prompt->setObjectName(QStringLiteral("Prompt"));
    m_prompt->setWordWrap(true);
    m_prompt->setMinimumWidth(kPromptWidth);

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("Edit"));
    m_edit->setMaxLength(kMaxLength);
    if (echo == Dialogs::Echo::Password)
        m_edit->setEchoMode(QLineEdit::Password);
    if (!mask.isEmpty())
        m_edit->setInputMask(mask);
    m_edit->setText(initial);
    m_edit->selectAll();
    m_prompt->setBuddy(m_edit);

    layOutPromptWindow(this, m_prompt, m_edit);

    applyFontSize(this);
    installFocusPainter();
    new EnterMovesNext(this);
    m_edit->setFocus();

    // Centred on the screen (of the parent when there is one).
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        layout()->activate();
        QRect frame(QPoint(), sizeHint());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

QString InputTextBox::text() const {
    return m_edit->text();
}

std::optional<QString> inputTextBox(QWidget* parent, const QString& caption, const QString& prompt,
                                    const QString& initial, const QString& mask, Dialogs::Echo echo) {
    InputTextBox box(caption, prompt, initial, mask, parent, echo);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.text();
}

} // namespace orvix::ui
