// "E-mail küldés": the message before it is handed over, with recipient,
// subject, attachment and text for the user to check and change. "Küldés"
// hands it to the mail (the SMTP server of the configuration when one is
// named, the desktop's mail composer otherwise).
#pragma once

#include "core/Mail.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

namespace orvix {
class Dialogs;
}

namespace orvix::ui {

class Tfrm_Level : public QDialog {
    Q_OBJECT

public:
    // send hands the message over: empty on success, else the error text.
    using Sender = std::function<QString(const MailMessage& message)>;
    Tfrm_Level(const MailMessage& message, Sender send, Dialogs* dialogs = nullptr, QWidget* parent = nullptr);
    ~Tfrm_Level() override;

    QLineEdit* recipientEdit() const { return m_recipient; }
    QLineEdit* subjectEdit() const { return m_subject; }
    QLineEdit* attachmentEdit() const { return m_attachment; }
    QPlainTextEdit* bodyEdit() const { return m_body; }
    QPushButton* sendButton() const { return m_send; }

    // The message as the window holds it: the attachment only when it names
    // an existing file.
    MailMessage message() const;
    // "Küldés".
    void send();

private:
    Sender m_sender;
    std::unique_ptr<Dialogs> m_ownDialogs;
    Dialogs* m_dialogs = nullptr;
    QLineEdit* m_recipient = nullptr;
    QLineEdit* m_subject = nullptr;
    QLineEdit* m_attachment = nullptr;
    QPlainTextEdit* m_body = nullptr;
    QPushButton* m_send = nullptr;
    QStatusBar* m_status = nullptr;
};

// The sender of the running program: SMTP when its configuration names a
// server, the mail composer otherwise.
Tfrm_Level::Sender programMailSender();

// ShowMailWindow: true when the message was handed over.
bool ShowMailWindow(QWidget* parent, const MailMessage& message);

} // namespace orvix::ui
