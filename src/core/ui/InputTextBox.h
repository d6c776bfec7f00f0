// The text input built on the fly: caption, a wrapping prompt and a one-line
// field of at most 255 characters with an optional input mask, centred on the
// screen, its text preselected. In password mode the typed text is hidden.
#pragma once

#include "core/Dialogs.h"

#include <QDialog>
#include <QString>
#include <optional>

class QLabel;
class QLineEdit;

namespace orvix::ui {

class InputTextBox : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMaxLength = 255;

    InputTextBox(const QString& caption, const QString& prompt, const QString& initial, const QString& mask,
                 QWidget* parent = nullptr, Dialogs::Echo echo = Dialogs::Echo::Normal);

    QString text() const;
    QLineEdit* edit() const { return m_edit; }
    QLabel* promptLabel() const { return m_prompt; }

private:
    QLabel* m_prompt = nullptr;
    QLineEdit* m_edit = nullptr;
};

// The typed text, or std::nullopt when cancelled.
std::optional<QString> inputTextBox(QWidget* parent, const QString& caption, const QString& prompt,
                                    const QString& initial = {}, const QString& mask = {},
                                    Dialogs::Echo echo = Dialogs::Echo::Normal);

} // namespace orvix::ui
