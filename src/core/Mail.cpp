#include "core/Mail.h"

#include "common/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <QProcess>
#include <QUrl>
#include <QUuid>

#include <curl/curl.h>

#include <cstring>

namespace orvix {

namespace {

const QString kSection = QStringLiteral("Mail");

bool isAscii(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() >= 128)
            return false;
    return true;
}

// A header text in RFC 2047 encoded words when it is not plain ASCII, each
// word short enough for a header line.
QByteArray encodedHeader(const QString& text) {
    if (isAscii(text))
        return text.toLatin1();
    QByteArray out;
    QString chunk;
    const auto flush = [&] {
        if (chunk.isEmpty())
            return;
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + chunk.toUtf8().toBase64() + "?=";
        chunk.clear();
    };
    const QList<uint> points = text.toUcs4();
    for (const uint cp : points) {
        const QString ch = QString::fromUcs4(reinterpret_cast<const char32_t*>(&cp), 1);
        if ((chunk + ch).toUtf8().size() > 45)
            flush();
        chunk += ch;
    }
    flush();
    return out;
}

QByteArray base64Lines(const QByteArray& data) {
    const QByteArray b64 = data.toBase64();
    QByteArray out;
    out.reserve(b64.size() + b64.size() / 76 * 2 + 2);
    for (qsizetype i = 0; i < b64.size(); i += 76)
        out += b64.mid(i, 76) + "\r\n";
    return out;
}

QByteArray address(const QString& mail) {
    return "<" + mail.trimmed().toUtf8() + ">";
}

struct Upload {
    QByteArray data;
    qsizetype sent = 0;
};

size_t readUpload(char* buffer, size_t size, size_t count, void* user) {
    auto* u = static_cast<Upload*>(user);
    const size_t room = size * count;
    const size_t left = size_t(u->data.size() - u->sent);
    const size_t n = std::min(room, left);
    std::memcpy(buffer, u->data.constData() + u->sent, n);
    u->sent += qsizetype(n);
    return n;
}

} // namespace

SmtpSettings readSmtpSettings(const IniFile& ini) {
    SmtpSettings s;
    s.host = ini.value(kSection, QStringLiteral("Host")).trimmed();
    s.tls = ini.intValue(kSection, QStringLiteral("TLS"), 0);
    s.port = ini.intValue(kSection, QStringLiteral("Port"), s.tls == 2 ? 465 : (s.tls == 1 ? 587 : 25));
    s.user = ini.value(kSection, QStringLiteral("User"));
    s.password = ini.value(kSection, QStringLiteral("Password"));
    s.sender = ini.value(kSection, QStringLiteral("Sender")).trimmed();
    return s;
}

QStringList composerArguments(const MailMessage& message) {
    QStringList args;
    if (!message.subject.isEmpty())
        args << QStringLiteral("--subject") << message.subject;
    if (!message.body.isEmpty())
        args << QStringLiteral("--body") << message.body;
    if (!message.attachment.isEmpty())
        args << QStringLiteral("--attach") << message.attachment;
    if (!message.recipient.trimmed().isEmpty())
        args << message.recipient.trimmed();
    return args;
}

int SendMapiMessage(const MailMessage& message) {
    QProcess composer;
    composer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    composer.start(kMailComposer, composerArguments(message));
    if (!composer.waitForStarted())
        return -1;
    // Like the mail program's own compose window, the hand-over returns when
    // the composer is done.
    composer.waitForFinished(-1);
    if (composer.exitStatus() != QProcess::NormalExit)
        return -1;
    return composer.exitCode();
}

QByteArray mimeMessage(const MailMessage& message, const QString& sender, const QDateTime& date,
                       const QString& boundary) {
    QByteArray m;
    m += "Date: " + QLocale::c().toString(date.toUTC(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss")).toLatin1() +
         " +0000\r\n";
    m += "From: " + address(sender) + "\r\n";
    if (!message.recipient.trimmed().isEmpty())
        m += "To: " + address(message.recipient) + "\r\n";
    m += "Subject: " + encodedHeader(message.subject) + "\r\n";
    const QString domain = sender.section(QLatin1Char('@'), 1).trimmed();
    m += "Message-ID: <" + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + "@" +
         (domain.isEmpty() ? QByteArray("localhost") : domain.toUtf8()) + ">\r\n";
    m += "MIME-Version: 1.0\r\n";

    QByteArray attachment;
    bool attach = false;
    if (!message.attachment.isEmpty()) {
        QFile f(message.attachment);
        if (f.open(QIODevice::ReadOnly)) {
            attachment = f.readAll();
            attach = true;
        }
    }
    QString body = message.body;
    body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    body.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    const QByteArray textPart = "Content-Type: text/plain; charset=UTF-8\r\n"
                                "Content-Transfer-Encoding: base64\r\n\r\n" +
                                base64Lines(body.toUtf8());
    if (!attach) {
        m += textPart;
        return m;
    }
    const QByteArray b = boundary.toLatin1();
    m += "Content-Type: multipart/mixed; boundary=\"" + b + "\"\r\n\r\n";
    m += "--" + b + "\r\n" + textPart;
    const QFileInfo info(message.attachment);
    const QString name = info.fileName();
    const QByteArray type = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension).name().toLatin1();
    const QByteArray nameParam = isAscii(name) && !name.contains(QLatin1Char('"'))
                                     ? "filename=\"" + name.toLatin1() + "\""
                                     : "filename*=UTF-8''" + QUrl::toPercentEncoding(name);
    m += "--" + b + "\r\n";
    m += "Content-Type: " + type + "\r\n";
    m += "Content-Transfer-Encoding: base64\r\n";
    m += "Content-Disposition: attachment; " + nameParam + "\r\n\r\n";
    m += base64Lines(attachment);
    m += "--" + b + "--\r\n";
    return m;
}

QString sendSmtp(const SmtpSettings& smtp, const MailMessage& message) {
    if (message.recipient.trimmed().isEmpty())
        return QStringLiteral("Nincs megadva címzett.");
    if (smtp.sender.isEmpty())
        return QStringLiteral("Nincs megadva a feladó címe (Orvix_Szamla.ini, [Mail] Sender).");
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!initialised)
        return QStringLiteral("A levélküldő könyvtár (libcurl) nem indítható.");
    CURL* curl = curl_easy_init();
    if (!curl)
        return QStringLiteral("A levélküldő könyvtár (libcurl) nem indítható.");

    Upload upload;
    upload.data = mimeMessage(message, smtp.sender, QDateTime::currentDateTimeUtc(),
                              QStringLiteral("orvix-") + QUuid::createUuid().toString(QUuid::Id128));
    const QByteArray url = QStringLiteral("%1://%2:%3")
                               .arg(smtp.tls == 2 ? QStringLiteral("smtps") : QStringLiteral("smtp"), smtp.host)
                               .arg(smtp.port)
                               .toUtf8();
    const QByteArray from = address(smtp.sender);
    const QByteArray to = address(message.recipient);
    const QByteArray user = smtp.user.toUtf8();
    const QByteArray password = smtp.password.toUtf8();
    curl_slist* recipients = curl_slist_append(nullptr, to.constData());
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readUpload);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(upload.data.size()));
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 300L);
    if (smtp.tls == 1)
        curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    if (!smtp.user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    }
    const CURLcode result = curl_easy_perform(curl);
    long response = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response);
    curl_slist_free_all(recipients);
    curl_easy_cleanup(curl);
    if (result == CURLE_OK)
        return QString();
    QString text = QStringLiteral("A levél küldése nem sikerült (%1:%2).\n%3")
                       .arg(smtp.host)
                       .arg(smtp.port)
                       .arg(QString::fromUtf8(curl_easy_strerror(result)));
    if (errorBuffer[0])
        text += QLatin1Char('\n') + QString::fromUtf8(errorBuffer);
    if (response)
        text += QStringLiteral("\nA kiszolgáló válaszkódja: %1").arg(response);
    return text;
}

MailMessage withExistingAttachment(MailMessage message) {
    if (!message.attachment.isEmpty() && !QFileInfo(message.attachment).isFile())
        message.attachment.clear();
    return message;
}

QString handOverMail(const SmtpSettings& smtp, const MailMessage& message) {
    const MailMessage m = withExistingAttachment(message);
    if (smtp.configured())
        return sendSmtp(smtp, m);
    const int code = SendMapiMessage(m);
    if (code == -1)
        return QStringLiteral("A levelezőprogram nem indítható (%1). Telepítse az xdg-utils csomagot, vagy adjon "
                              "meg SMTP kiszolgálót az Orvix_Szamla.ini [Mail] szakaszában.")
            .arg(kMailComposer);
    if (code != 0)
        return QStringLiteral("A levelezőprogram hibát jelzett (%1, kód: %2).").arg(kMailComposer).arg(code);
    return QString();
}

} // namespace orvix
