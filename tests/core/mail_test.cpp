// The mail hand-over: the composer started with the message's parts (checked
// with a recording stand-in on PATH), and the SMTP sending checked with a
// loopback server that stores what it receives.
#include "SmtpServer.h"

#include "common/IniFile.h"
#include "core/Mail.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvix;
using namespace orvix::test;

class MailTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void composerGetsTheParts_data();
    void composerGetsTheParts();
    void composerFailuresAreReported();
    void smtpDeliversTheMessage_data();
    void smtpDeliversTheMessage();
    void smtpFailuresAreReported();
    void settingsFromTheIniFile();

private:
    QStringList recordedArguments();
    QTemporaryDir m_dir;
    QByteArray m_path;
};

void MailTest::initTestCase() {
    m_path = qgetenv("PATH");
    // A stand-in composer that records its arguments, one per NUL-ended item.
    QDir().mkpath(m_dir.filePath(QStringLiteral("bin")));
    const QString script = m_dir.filePath(QStringLiteral("bin/xdg-email"));
    QFile f(script);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n: > \"$RECORD\"\nfor a in \"$@\"; do printf '%s\\0' \"$a\" >> \"$RECORD\"; done\n"
            "exit \"${COMPOSER_EXIT:-0}\"\n");
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner);
    qputenv("RECORD", m_dir.filePath(QStringLiteral("args")).toLocal8Bit());
    qputenv("PATH", m_dir.filePath(QStringLiteral("bin")).toLocal8Bit() + ':' + m_path);
}

void MailTest::cleanupTestCase() {
    qputenv("PATH", m_path);
}

QStringList MailTest::recordedArguments() {
    QFile f(m_dir.filePath(QStringLiteral("args")));
    if (!f.open(QIODevice::ReadOnly))
        return {QStringLiteral("<not started>")};
    QStringList out;
    for (const QByteArray& a : f.readAll().split('\0'))
        out << QString::fromUtf8(a);
    out.removeLast(); // after the last NUL
    return out;
}

void MailTest::composerGetsTheParts_data() {
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("attachment"); // "file": an existing file, "gone": one that was deleted
    QTest::addColumn<QString>("recipient");
    QTest::addColumn<QStringList>("expected"); // "FILE" stands for the existing file's path

    QTest::newRow("all four parts") << "Elektronikus számlamásolat küldés" << "Tisztelt Ügyfelünk!" << "file"
                                    << "vevo@example.hu"
                                    << QStringList{"--subject", "Elektronikus számlamásolat küldés", "--body",
                                                   "Tisztelt Ügyfelünk!", "--attach", "FILE", "vevo@example.hu"};
    QTest::newRow("no recipient: the composer asks for one")
        << "Html küldés" << "Html küldés" << "file" << ""
        << QStringList{"--subject", "Html küldés", "--body", "Html küldés", "--attach", "FILE"};
    QTest::newRow("a deleted attachment is dropped")
        << "Tárgy" << "" << "gone" << "a@b.hu" << QStringList{"--subject", "Tárgy", "a@b.hu"};
    QTest::newRow("three lines arrive as three lines")
        << "" << "első\nmásodik\nharmadik" << "" << " a@b.hu "
        << QStringList{"--body", "első\nmásodik\nharmadik", "a@b.hu"};
    QTest::newRow("nothing at all") << "" << "" << "" << "" << QStringList{};
}

void MailTest::composerGetsTheParts() {
    QFETCH(QString, subject);
    QFETCH(QString, body);
    QFETCH(QString, attachment);
    QFETCH(QString, recipient);
    QFETCH(QStringList, expected);
    const QString file = m_dir.filePath(QStringLiteral("számla S00001.pdf"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("%PDF-1.4");
    f.close();
    MailMessage m{subject, body, attachment.isEmpty() ? QString() : file, recipient};
    if (attachment == QLatin1String("gone"))
        QFile::remove(file);
    QCOMPARE(handOverMail(SmtpSettings{}, m), QString());
    expected.replaceInStrings(QStringLiteral("FILE"), file);
    QCOMPARE(recordedArguments(), expected);
}

void MailTest::composerFailuresAreReported() {
    // The composer signals a failure: the user is told, not left believing it went.
    qputenv("COMPOSER_EXIT", "4");
    const QString failed = handOverMail(SmtpSettings{}, MailMessage{QStringLiteral("x"), {}, {}, {}});
    qunsetenv("COMPOSER_EXIT");
    QVERIFY2(failed.contains(QStringLiteral("kód: 4")), qPrintable(failed));
    // No composer on the system at all.
    qputenv("PATH", m_dir.filePath(QStringLiteral("nothing")).toLocal8Bit());
    QCOMPARE(SendMapiMessage(MailMessage{}), -1);
    const QString missing = handOverMail(SmtpSettings{}, MailMessage{QStringLiteral("x"), {}, {}, {}});
    qputenv("PATH", m_dir.filePath(QStringLiteral("bin")).toLocal8Bit() + ':' + m_path);
    QVERIFY2(missing.startsWith(QStringLiteral("A levelezőprogram nem indítható")), qPrintable(missing));
}

void MailTest::smtpDeliversTheMessage_data() {
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QByteArray>("attachment"); // empty: none
    QTest::addColumn<QString>("name");

    QByteArray binary;
    for (int round = 0; round < 40; ++round)
        for (int b = 0; b < 256; ++b)
            binary.append(char(b));
    QTest::newRow("accented subject and body, binary attachment")
        << "Elektronikus számlamásolat küldés – Árvíztűrő tükörfúrógép" << "Tisztelt Ügyfelünk!\n\nŐszintén: Kft.\n."
        << binary << "S00123.pdf";
    QTest::newRow("accented attachment name") << "Html küldés" << "Html küldés" << QByteArray("<html>&amp;</html>")
                                              << "kiadott-számlák.htm";
    QTest::newRow("no attachment") << "Üzenet" << "egy sor" << QByteArray() << "";
}

void MailTest::smtpDeliversTheMessage() {
    QFETCH(QString, subject);
    QFETCH(QString, body);
    QFETCH(QByteArray, attachment);
    QFETCH(QString, name);
    SmtpServer server;
    QVERIFY2(server.started(), qPrintable(server.error()));
    QTemporaryDir dir;
    MailMessage m{subject, body, {}, QStringLiteral("vevo@example.hu")};
    if (!name.isEmpty()) {
        m.attachment = dir.filePath(name);
        QFile f(m.attachment);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(attachment);
    }
    SmtpSettings smtp;
    smtp.host = QStringLiteral("127.0.0.1");
    smtp.port = server.port();
    smtp.sender = QStringLiteral("szamla@orvix.example");
    QCOMPARE(handOverMail(smtp, m), QString());
    const QVector<ReceivedMail> got = server.messages();
    QCOMPARE(got.size(), 1);
    QCOMPARE(got.first().subject, subject);
    // The text travels with CR LF line ends, as mail does.
    QCOMPARE(got.first().body.trimmed().replace(QStringLiteral("\r\n"), QStringLiteral("\n")), body.trimmed());
    QCOMPARE(got.first().from, QStringLiteral("szamla@orvix.example"));
    QCOMPARE(got.first().to, QStringLiteral("vevo@example.hu"));
    QCOMPARE(got.first().hasAttachment, !name.isEmpty());
    if (!name.isEmpty()) {
        QCOMPARE(got.first().attachmentName, name);
        QCOMPARE(got.first().attachment, attachment);
    }
}

void MailTest::smtpFailuresAreReported() {
    SmtpSettings smtp;
    smtp.host = QStringLiteral("127.0.0.1");
    smtp.sender = QStringLiteral("szamla@orvix.example");
    QCOMPARE(sendSmtp(smtp, MailMessage{QStringLiteral("x"), {}, {}, {}}), QStringLiteral("Nincs megadva címzett."));
    // Nobody listens on the port: the engine's reason is in the message.
    smtp.port = 1;
    const QString refused = sendSmtp(smtp, MailMessage{QStringLiteral("x"), {}, {}, QStringLiteral("a@b.hu")});
    QVERIFY2(refused.startsWith(QStringLiteral("A levél küldése nem sikerült (127.0.0.1:1).")), qPrintable(refused));
    smtp.sender.clear();
    QVERIFY(sendSmtp(smtp, MailMessage{{}, {}, {}, QStringLiteral("a@b.hu")}).contains(QStringLiteral("Sender")));
}

void MailTest::settingsFromTheIniFile() {
    IniFile ini;
    QVERIFY(!readSmtpSettings(ini).configured());
    ini.setValue(QStringLiteral("Mail"), QStringLiteral("Host"), QStringLiteral(" smtp.example.hu "));
    ini.setValue(QStringLiteral("Mail"), QStringLiteral("TLS"), QStringLiteral("1"));
    ini.setValue(QStringLiteral("Mail"), QStringLiteral("Sender"), QStringLiteral("iroda@example.hu"));
    SmtpSettings s = readSmtpSettings(ini);
    QVERIFY(s.configured());
    QCOMPARE(s.host, QStringLiteral("smtp.example.hu"));
    QCOMPARE(s.port, 587); // STARTTLS's port unless one is named
    ini.setValue(QStringLiteral("Mail"), QStringLiteral("Port"), QStringLiteral("2525"));
    QCOMPARE(readSmtpSettings(ini).port, 2525);
}

QTEST_GUILESS_MAIN(MailTest)
#include "mail_test.moc"
