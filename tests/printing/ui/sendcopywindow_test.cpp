// The register's "Küldés" offscreen with the program's own print installed:
// the PDF copy is written, the mail window opens addressed to the customer,
// its "Küldés" hands the message to the mail composer (a recording stand-in
// on PATH), and the document is then marked sent.
#include "ScriptedDialogs.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/ui/Tfrm_Level.h"
#include "data/Schema.h"
#include "invoicing/ui/PrintHooks.h"
#include "invoicing/ui/Tfrm_Main.h"
#include "printing/InvoicePrint.h"
#include "printing/ui/PrintWindows.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace orvix;
using orvix::test::ScriptedDialogs;

class SendCopyWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;

private Q_SLOTS:
    void registerSendsTheCopy() {
        const QString program = m_tmp.filePath(QStringLiteral("program"));
        const QString pdf = m_tmp.filePath(QStringLiteral("pdf"));
        const QString bin = m_tmp.filePath(QStringLiteral("bin"));
        QDir().mkpath(program);
        QDir().mkpath(pdf);
        QDir().mkpath(bin);
        QFile composer(bin + QStringLiteral("/xdg-email"));
        QVERIFY(composer.open(QIODevice::WriteOnly));
        composer.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$RECORD\"; done\n");
        composer.close();
        composer.setPermissions(composer.permissions() | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.toLocal8Bit() + ':' + path);
        qputenv("RECORD", m_tmp.filePath(QStringLiteral("args")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_tmp.filePath(QStringLiteral("xdg")).toUtf8());
        app() = AppContext{};
        {
            Database db(QStringLiteral("fixture"));
            data::createDataFolder(db, m_tmp.filePath(QStringLiteral("xdg/Orvix_Szamla/Data")));
            db.execSql(QStringLiteral("UPDATE beallit SET printernev=?, printerutv=?"), {kBuiltInPdfPrinter, pdf});
            db.execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, emil, torolve) VALUES ('Levélvevő Kft.', "
                                      "'level@example.hu', 'N')"));
            db.execSql(QStringLiteral("INSERT INTO szla (prntip, szlaszam, ugyfel, ugyfel_nev, dat_kiadva, konyvelve, "
                                      "storno, fa, nyomtatva, kuldve) VALUES ('S', 42, 1, 'Levélvevő Kft.', "
                                      "'2026-03-02', 'I', 'N', 'N', 0, 0)"));
        }
        ui::installDocumentPrinting();
        ScriptedDialogs dialogs;
        dialogs.answers = {0};
        Tfrm_Main window(dialogs, program);
        QVERIFY(!window.startupEnded());
        window.switchToList(Tfrm_Main::Products);
        QVERIFY(!window.action(QStringLiteral("aKuldes"))->isEnabled());
        window.switchToList(Tfrm_Main::Documents);
        QAction* send = window.action(QStringLiteral("aKuldes"));
        QVERIFY(send->isEnabled());

        // The mail window, once it shows: its fields, then its "Küldés".
        QString recipient, attachment;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* mail = qobject_cast<ui::Tfrm_Level*>(QApplication::activeModalWidget());
            if (!mail)
                return;
            poll.stop();
            recipient = mail->recipientEdit()->text();
            attachment = mail->attachmentEdit()->text();
            mail->sendButton()->click();
        });
        poll.start(20);
        send->trigger();
        QCOMPARE(recipient, QStringLiteral("level@example.hu"));
        QCOMPARE(attachment, QDir(pdf).filePath(QStringLiteral("S00042.pdf")));
        QVERIFY(QFileInfo(attachment).size() > 0);
        QFile args(m_tmp.filePath(QStringLiteral("args")));
        QVERIFY(args.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(args.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 (QStringList{"--subject", "Elektronikus számlamásolat küldés", "--body",
                              "Elektronikus számlamásolat küldés", "--attach", attachment, "level@example.hu"}));
        QCOMPARE(window.database()->queryInt(QStringLiteral("SELECT kuldve FROM szla WHERE szlaszam=42"), -1), 1);
        qputenv("PATH", path);
        ui::documentPrintHooks() = {};
    }
};

QTEST_MAIN(SendCopyWindowTest)
#include "sendcopywindow_test.moc"
