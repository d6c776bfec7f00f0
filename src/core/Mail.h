// Handing a message to the user's mail: the desktop's mail composer started
// with the message's four parts (xdg-email), or, when the configuration file
// names an SMTP server in its section "Mail", a MIME message sent by the
// program itself through libcurl.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace orvix {

class IniFile;

// Each part optional; an empty text counts as absent.
struct MailMessage {
    QString subject;
    QString body;
    QString attachment; // full path of one file
    QString recipient;  // one e-mail address
};

// The ini section "Mail": Host, Port, User, Password, TLS (0 none, 1 STARTTLS
// required, 2 TLS from the start), Sender.
struct SmtpSettings {
    QString host;
    int port = 25;
    QString user;
    QString password;
    int tls = 0;
    QString sender;
    bool configured() const { return !host.trimmed().isEmpty(); }
};
SmtpSettings readSmtpSettings(const IniFile& ini);

// The program that stands in for the mail program's compose window; tests
// put a recording stand-in in its place.
inline const QString kMailComposer = QStringLiteral("xdg-email");

// The composer's arguments: --subject, --body, --attach for the parts given,
// then the recipient.
QStringList composerArguments(const MailMessage& message);

// Starts the composer and waits for it: its exit code, or -1 when it cannot
// be started.
int SendMapiMessage(const MailMessage& message);

// The message as MIME text (CR LF lines): UTF-8 subject and body, the
// attachment base64-encoded. Throws nothing; an attachment that cannot be
// read is left out.
QByteArray mimeMessage(const MailMessage& message, const QString& sender, const QDateTime& date,
                       const QString& boundary);

// Sends through the SMTP server; empty on success, otherwise the Hungarian
// error text with the server's own answer.
QString sendSmtp(const SmtpSettings& smtp, const MailMessage& message);

// The message as the composition window hands it over: an attachment path
// that names no existing file is dropped.
MailMessage withExistingAttachment(MailMessage message);

// Hands a message over: through SMTP when configured, otherwise to the
// composer. Empty on success, otherwise the Hungarian error text.
QString handOverMail(const SmtpSettings& smtp, const MailMessage& message);

} // namespace orvix
