#include "SmtpServer.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace orvix::test {

namespace {

const char* const kServer = R"(
import socket, sys
from aiosmtpd.controller import Controller
from aiosmtpd.handlers import Mailbox
s = socket.socket()
s.bind(('127.0.0.1', 0))
port = s.getsockname()[1]
s.close()
c = Controller(Mailbox(sys.argv[1]), hostname='127.0.0.1', port=port)
c.start()
print(port, flush=True)
sys.stdin.read()
c.stop()
)";

const char* const kReader = R"(
import base64, json, mailbox, sys
from email import policy
from email.parser import BytesParser
out = []
box = mailbox.Maildir(sys.argv[1], factory=None, create=False)
for key in sorted(box.keys()):
    raw = box.get_bytes(key)
    m = BytesParser(policy=policy.default).parsebytes(raw)
    body = m.get_body(preferencelist=('plain',))
    item = {'from': str(m['From']), 'to': str(m['To'] or ''), 'subject': str(m['Subject']),
            'body': body.get_content() if body is not None else '', 'attachment': None, 'name': ''}
    for part in m.iter_attachments():
        item['attachment'] = base64.b64encode(part.get_payload(decode=True)).decode()
        item['name'] = part.get_filename() or ''
    out.append(item)
print(json.dumps(out))
)";

} // namespace

SmtpServer::SmtpServer() {
    m_process.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-c"), QString::fromLatin1(kServer), m_dir.filePath(QStringLiteral("mail"))});
    if (!m_process.waitForStarted() || !m_process.waitForReadyRead(20000)) {
        m_error = QStringLiteral("aiosmtpd did not start: ") + QString::fromUtf8(m_process.readAllStandardError());
        return;
    }
    m_port = m_process.readLine().trimmed().toInt();
}

SmtpServer::~SmtpServer() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QVector<ReceivedMail> SmtpServer::messages() {
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromLatin1(kReader), m_dir.filePath(QStringLiteral("mail"))});
    reader.waitForFinished(20000);
    QVector<ReceivedMail> out;
    const QJsonArray all = QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
    for (const QJsonValue& v : all) {
        const QJsonObject o = v.toObject();
        ReceivedMail m;
        m.from = o.value(QStringLiteral("from")).toString();
        m.to = o.value(QStringLiteral("to")).toString();
        m.subject = o.value(QStringLiteral("subject")).toString();
        m.body = o.value(QStringLiteral("body")).toString();
        m.hasAttachment = !o.value(QStringLiteral("attachment")).isNull();
        m.attachment = QByteArray::fromBase64(o.value(QStringLiteral("attachment")).toString().toLatin1());
        m.attachmentName = o.value(QStringLiteral("name")).toString();
        out << m;
    }
    return out;
}

} // namespace orvix::test
