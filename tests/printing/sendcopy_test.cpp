// "Küldés" of the register: the refusals, the PDF copy in the PDF folder, the
// message to the customer, kuldve set only once the mail went, and the
// send-copy command delivering the PDF through a loopback SMTP server.
#include "PrintFixture.h"
#include "SmtpServer.h"

#include "common/IniFile.h"
#include "printing/SendCopy.h"

#include <QProcess>

using namespace orvix;
using namespace orvix::test;

class SendCopyTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PrintFixture> f;
    qint64 m_customer = 0;
    qint64 m_doc = 0;
    QString m_pdfFolder;

    bool sentFlag() { return f->db().queryInt(QStringLiteral("SELECT kuldve FROM szla WHERE szla=?"), -1, {m_doc}) == 1; }

private Q_SLOTS:
    void init() {
        f = std::make_unique<PrintFixture>();
        m_pdfFolder = QDir(f->work.path()).filePath(QStringLiteral("pdf"));
        QDir().mkpath(m_pdfFolder);
        f->db().execSql(QStringLiteral("UPDATE beallit SET printernev=?, printerutv=?"), {kBuiltInPdfPrinter, m_pdfFolder});
        f->reloadSettings();
        m_customer = f->customer(QStringLiteral("Küldött Vevő Kft."), QStringLiteral("emil='vevo@example.hu'"));
        m_doc = f->document(m_customer, {{QStringLiteral("Árvíztűrő tükörfúrógép"), QStringLiteral("db"), 2, 1500, 27}},
                            QStringLiteral("szlaszam=77, konyvelve='I'"));
    }
    void cleanup() { f.reset(); }
    void refusals_data();
    void refusals();
    void sentOnceTheMailWent();
    void noAddressOrCancelledLeavesItUnsent();
    void commandSendsThroughSmtp();
};

void SendCopyTest::refusals_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("error");
    QTest::newRow("not posted") << "UPDATE szla SET konyvelve='N'" << "Bizonylat még nincs könyvelve";
    QTest::newRow("already sent") << "UPDATE szla SET kuldve=1" << "Bizonylat már el lett küldve";
    QTest::newRow("no PDF printer") << "UPDATE beallit SET printernev=''" << "Nincs beállítva PDF nyomtató\n";
    QTest::newRow("PDF folder missing") << "UPDATE beallit SET printerutv='/nincs/ilyen'"
                                        << "Nincs beállítva PDF nyomtató\n";
}

void SendCopyTest::refusals() {
    QFETCH(QString, change);
    QFETCH(QString, error);
    f->db().execSql(change);
    f->reloadSettings();
    KeptCopies target;
    bool composed = false;
    const SendCopyResult r = sendElectronicCopy(f->db(), f->dialogs, f->setup, target, m_doc, [&](const MailMessage&) {
        composed = true;
        return true;
    });
    QCOMPARE(r.outcome, SendCopyOutcome::Refused);
    QVERIFY(!composed);
    QCOMPARE(f->dialogs.askedOf(QStringLiteral("error")).size(), 1);
    QVERIFY2(f->dialogs.asked.last().startsWith(QStringLiteral("error: ") + error), qPrintable(f->dialogs.asked.last()));
    QCOMPARE(QDir(m_pdfFolder).entryList(QDir::Files), QStringList());
}

void SendCopyTest::sentOnceTheMailWent() {
    KeptCopies target;
    MailMessage handed;
    const SendCopyResult r = sendElectronicCopy(f->db(), f->dialogs, f->setup, target, m_doc, [&](const MailMessage& m) {
        handed = m;
        return QFileInfo(m.attachment).isFile(); // the copy is there when the mail opens
    });
    QCOMPARE(r.outcome, SendCopyOutcome::Sent);
    QCOMPARE(handed.recipient, QStringLiteral("vevo@example.hu"));
    QCOMPARE(handed.subject, QStringLiteral("Elektronikus számlamásolat küldés"));
    QCOMPARE(handed.body, QStringLiteral("Elektronikus számlamásolat küldés"));
    QCOMPARE(handed.attachment, QDir(m_pdfFolder).filePath(QStringLiteral("S00077.pdf")));
    QVERIFY(squeezed(pdfText(handed.attachment)).contains(QStringLiteral("Küldött Vevő Kft.")));
    QVERIFY(sentFlag());
    QVERIFY(target.printed.empty()); // no paper
    QCOMPARE(f->dialogs.asked, QStringList());
    // Sent once: the next try is refused.
    QCOMPARE(sendElectronicCopy(f->db(), f->dialogs, f->setup, target, m_doc, [](const MailMessage&) { return true; }).outcome,
             SendCopyOutcome::Refused);
}

void SendCopyTest::noAddressOrCancelledLeavesItUnsent() {
    KeptCopies target;
    f->db().execSql(QStringLiteral("UPDATE ugyfel SET emil='' WHERE ugyfel=?"), {m_customer});
    int composed = 0;
    const auto compose = [&](const MailMessage&) {
        ++composed;
        return false; // the window was cancelled, or the server refused
    };
    SendCopyResult r = sendElectronicCopy(f->db(), f->dialogs, f->setup, target, m_doc, compose);
    QCOMPARE(r.outcome, SendCopyOutcome::NoAddress);
    QVERIFY(QFileInfo(r.pdfPath).isFile());
    QCOMPARE(composed, 0);
    QVERIFY(!sentFlag());
    QCOMPARE(f->dialogs.askedOf(QStringLiteral("warning")).size(), 1);

    f->db().execSql(QStringLiteral("UPDATE ugyfel SET emil='vevo@example.hu' WHERE ugyfel=?"), {m_customer});
    r = sendElectronicCopy(f->db(), f->dialogs, f->setup, target, m_doc, compose);
    QCOMPARE(r.outcome, SendCopyOutcome::NotSent);
    QCOMPARE(composed, 1);
    QVERIFY(!sentFlag());
}

void SendCopyTest::commandSendsThroughSmtp() {
    const QString cli = QString::fromLocal8Bit(qgetenv("ORVIX_CLI"));
    QVERIFY2(!cli.isEmpty(), "ORVIX_CLI names the command-line program");
    SmtpServer server;
    QVERIFY2(server.started(), qPrintable(server.error()));
    QTemporaryDir home;
    IniFile ini;
    ini.setValue(QStringLiteral("Mail"), QStringLiteral("Host"), QStringLiteral("127.0.0.1"));
    ini.setInt(QStringLiteral("Mail"), QStringLiteral("Port"), server.port());
    ini.setValue(QStringLiteral("Mail"), QStringLiteral("Sender"), QStringLiteral("szamla@orvix.example"));
    QDir().mkpath(home.filePath(QStringLiteral("Orvix_Szamla")));
    QVERIFY(ini.saveAs(home.filePath(QStringLiteral("Orvix_Szamla/Orvix_Szamla.ini"))));
    const QString folder = f->folder->folder;
    f->db().close();
    const auto run = [&](const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
        p.setProcessEnvironment(env);
        p.start(cli, QStringList{QStringLiteral("send-copy")} + args);
        p.waitForFinished(120000);
        return std::pair{p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
    };
    QCOMPARE(run({folder, QString::number(m_doc)}).first, 0);
    const QVector<ReceivedMail> got = server.messages();
    QCOMPARE(got.size(), 1);
    QCOMPARE(got.first().to, QStringLiteral("vevo@example.hu"));
    QCOMPARE(got.first().subject, QStringLiteral("Elektronikus számlamásolat küldés"));
    QCOMPARE(got.first().attachmentName, QStringLiteral("S00077.pdf"));
    QFile pdf(QDir(m_pdfFolder).filePath(QStringLiteral("S00077.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QCOMPARE(got.first().attachment, pdf.readAll());
    const auto again = run({folder, QString::number(m_doc)});
    QCOMPARE(again.first, 1);
    QVERIFY2(again.second.contains(QStringLiteral("Bizonylat már el lett küldve")), qPrintable(again.second));
    QCOMPARE(run({folder, QStringLiteral("x")}).first, 2);
    f->db().open(folder);
    QVERIFY(sentFlag());
}

QTEST_MAIN(SendCopyTest)
#include "sendcopy_test.moc"
