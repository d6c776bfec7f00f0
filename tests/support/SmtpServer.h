// A loopback SMTP server for the mail tests: aiosmtpd started by the test on a
// free port, storing what it receives in a maildir, and a reader of the
// stored messages through Python's own e-mail parser.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QVector>

namespace orvix::test {

struct ReceivedMail {
    QString from;
    QString to;
    QString subject;
    QString body;
    QString attachmentName;
    QByteArray attachment;
    bool hasAttachment = false;
};

class SmtpServer {
public:
    SmtpServer();
    ~SmtpServer();
    // False when the server could not start (the reason in error()).
    bool started() const { return m_port > 0; }
    int port() const { return m_port; }
    QString error() const { return m_error; }
    // The messages received so far, decoded.
    QVector<ReceivedMail> messages();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};

} // namespace orvix::test
