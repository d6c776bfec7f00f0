// The maintenance window: caption, the folder from the configuration file,
// the chooser of registered folders, and the buttons running on the folder in
// the path box with their message boxes.
#include "TestFolders.h"
#include "maintenance/ui/Tfrm_Upd_Main.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace orvix;
using namespace orvix::maintenance::ui;

namespace {

// Closes the next modal window that opens and records its text.
void closeNextBox(QStringList& texts) {
    QTimer::singleShot(50, [&texts] {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            texts << box->windowTitle() + QStringLiteral(": ") + box->text();
            box->accept();
        } else if (w) {
            texts << QStringLiteral("window: ") + w->windowTitle();
            w->close();
        } else {
            closeNextBox(texts);
        }
    });
}

} // namespace

class UpdWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowRunsOnTheChosenFolder() {
        QTemporaryDir program;
        test::TempDataFolder data(QStringLiteral("ui"));
        data.db.execSql("INSERT INTO szla (szla, prntip, szlaszam, vat) VALUES (1, 'S', 1, '')");
        data.db.close();
        {
            QFile ini(program.filePath(QStringLiteral("Orvix_Szamla.ini")));
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write(QStringLiteral("[Database]\nPath=%1\n[Adatbazis]\nConStr1=1. Nincs;%2;\nConStr2=2. Teszt;%3;\n")
                          .arg(program.filePath("x"), program.filePath("nincs"), data.folder)
                          .toUtf8());
        }
        Tfrm_Upd_Main w(program.path());
        w.show();
        QCOMPARE(w.windowTitle(), QString::fromUtf8("Orvix Számla adatbázis karbantartás V16.3.0.680"));
        QCOMPARE(w.path(), program.filePath("x"));
        {
            // Without a configuration beside the program and without a path in
            // the user's one, the user's own Data folder is offered.
            QTemporaryDir bare, home;
            const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
            qputenv("XDG_DATA_HOME", home.path().toUtf8());
            QVERIFY(QDir().mkpath(home.filePath("Orvix_Szamla")));
            QFile userIni(home.filePath("Orvix_Szamla/Orvix_Szamla.ini"));
            QVERIFY(userIni.open(QIODevice::WriteOnly));
            userIni.write("[Adatbazis]\nConStr1=1. Teszt;x;\n");
            userIni.close();
            const QString offered = Tfrm_Upd_Main(bare.path()).path();
            qputenv("XDG_DATA_HOME", dataHome);
            QCOMPARE(offered, home.filePath("Orvix_Szamla/Data"));
        }

        // The missing folder of the path box is refused.
        QStringList boxes;
        closeNextBox(boxes);
        w.findChild<QPushButton*>("btnKarbantart")->click();
        QCOMPARE(boxes, QStringList{QString::fromUtf8("Hiba: Nem létező adatbázis mappa.")});

        // The chooser refuses an entry whose folder does not exist and
        // accepts the second one.
        boxes.clear();
        QTimer::singleShot(50, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QString::fromUtf8("Orvix Számla program adatbázis választás"));
            closeNextBox(boxes);
            dialog->findChild<QPushButton*>("btnOk")->click();
            QTimer::singleShot(200, [dialog] {
                dialog->findChild<QListWidget*>("lbAdatbazis")->setCurrentRow(1);
                dialog->findChild<QPushButton*>("btnOk")->click();
            });
        });
        w.findChild<QPushButton*>("btnValaszt")->click();
        QCOMPARE(boxes, QStringList{QString::fromUtf8("Hiba: Nem létező adatbázis mappa")});
        QCOMPARE(w.path(), data.folder);

        boxes.clear();
        closeNextBox(boxes);
        w.findChild<QPushButton*>("btnVerzio")->click();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.first().startsWith(QString::fromUtf8("Üzenet: A művelet sikeresen befejeződött.")),
                 qPrintable(boxes.first()));
        QCOMPARE(w.statusText(), QString());
        QCOMPARE(w.progressBar()->value(), 0);
        data.db.open(data.folder);
        QCOMPARE(data.db.queryText("SELECT vat FROM szla", {}), QStringLiteral("HUF"));
    }
};

QTEST_MAIN(UpdWindowTest)
#include "updwindow_test.moc"
