// The main window's start on a fresh work folder: database choice, caption,
// lists, list switching, font size limits and the ini written at exit.
#include "ScriptedDialogs.h"
#include "common/Database.h"
#include "common/IniFile.h"
#include "core/AppContext.h"
#include "core/DemoData.h"
#include "data/Schema.h"
#include "core/ui/MessageBoxes.h"
#include "invoicing/ui/Tfrm_Main.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvix;
using orvix::test::ScriptedDialogs;

class MainWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_program;
    int m_run = 0;

    void freshWorkFolder() {
        const QString base = m_tmp.filePath(QString::number(++m_run));
        m_program = base + QStringLiteral("/program");
        QDir().mkpath(m_program);
        qputenv("XDG_DATA_HOME", (base + QStringLiteral("/xdg")).toUtf8());
        app() = AppContext{};
    }

private Q_SLOTS:
    void cancelledStartWritesNothing();
    void startOnTestFolder();
    void loginOnFolderWithoutUsersLetsAdministratorIn();
};

void MainWindowTest::cancelledStartWritesNothing() {
    freshWorkFolder();
    ScriptedDialogs dialogs;
    dialogs.answers = {QVariant()};
    const QString ini = QDir(QString::fromUtf8(qgetenv("XDG_DATA_HOME"))).filePath(QStringLiteral("Orvix_Szamla/Orvix_Szamla.ini"));
    {
        Tfrm_Main window(dialogs, m_program);
        QVERIFY(window.startupEnded());
        const QByteArray seeded = [&] {
            QFile f(ini);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        QVERIFY(seeded.contains("ConStr1"));
        window.close();
        QFile f(ini);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), seeded); // no exit keys written
    }
}

void MainWindowTest::startOnTestFolder() {
    freshWorkFolder();
    // The test folder holds demo masters, as run.sh leaves it.
    const QString work = QString::fromUtf8(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Orvix_Szamla");
    {
        Database db(QStringLiteral("demo"));
        data::createDataFolder(db, work + QStringLiteral("/Data"));
        DemoOptions o;
        o.customers = 30;
        o.products = 40;
        fillDemoMasters(db, o);
    }
    ScriptedDialogs dialogs;
    dialogs.answers = {0};
    Tfrm_Main window(dialogs, m_program);
    QVERIFY(!window.startupEnded());
    QVERIFY(window.windowTitle().startsWith(QStringLiteral("Orvix Számla: [")));
    QVERIFY(window.windowTitle().size() > QStringLiteral("Orvix Számla: []").size());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(window.currentList(), int(Tfrm_Main::Products));
    QCOMPARE(window.grid(Tfrm_Main::Products)->model()->rowCount(), 40);
    window.action(QStringLiteral("aVevok"))->trigger();
    QCOMPARE(window.currentList(), int(Tfrm_Main::Customers));
    QCOMPARE(window.grid(Tfrm_Main::Customers)->model()->rowCount(), 30);
    QVERIFY(window.action(QStringLiteral("aVevok"))->isChecked());
    QVERIFY(!window.action(QStringLiteral("aCikktorzs"))->isChecked());
    window.action(QStringLiteral("aMozgas"))->trigger();
    QCOMPARE(window.currentList(), int(Tfrm_Main::Documents));

    // Shortcuts as the program names them.
    QCOMPARE(window.action(QStringLiteral("aCikktorzs"))->shortcut(), QKeySequence(QStringLiteral("Alt+1")));
    QCOMPARE(window.action(QStringLiteral("aBetuNovel"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+F10")));
    // Capabilities that come later are visibly disabled.
    QVERIFY(!window.action(QStringLiteral("aArchival"))->isEnabled());

    // Font size stops at 22 and at 8.
    for (int i = 0; i < 20; ++i)
        window.action(QStringLiteral("aBetuNovel"))->trigger();
    QCOMPARE(app().config.fontSize, 22);
    QCOMPARE(QApplication::font().pointSize(), 22);
    for (int i = 0; i < 20; ++i)
        window.action(QStringLiteral("aBetuCsokkent"))->trigger();
    QCOMPARE(app().config.fontSize, 8);
    window.action(QStringLiteral("aBetuNovel"))->trigger();

    // Warranty actions follow the settings.
    QVERIFY(!window.action(QStringLiteral("aGari"))->isVisible());

    window.close();
    const IniFile ini(work + QStringLiteral("/Orvix_Szamla.ini"));
    QCOMPARE(ini.intValue(QStringLiteral("Defaults"), QStringLiteral("FontSize"), 0), 9);
    QVERIFY(ini.hasKey(QStringLiteral("Screen"), QStringLiteral("Width")));
    QVERIFY(ini.hasKey(QStringLiteral("Printers"), QStringLiteral("Szla")));
}

void MainWindowTest::loginOnFolderWithoutUsersLetsAdministratorIn() {
    freshWorkFolder();
    const QString work = QString::fromUtf8(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Orvix_Szamla");
    {
        Database db(QStringLiteral("login"));
        data::createDataFolder(db, work + QStringLiteral("/Data"));
        db.execSql(QStringLiteral("UPDATE beallit SET belepjelszo = 'I'"));
    }
    QStringList shown;
    ui::ScopedMessageInterceptor intercept([&](const ui::MessageRequest& r) {
        shown << r.text;
        return Dialogs::Answer::Yes;
    });
    ScriptedDialogs dialogs;
    dialogs.answers = {0};
    Tfrm_Main window(dialogs, m_program);
    QVERIFY(!window.startupEnded());
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown.first().contains(QStringLiteral("rendszergazda")));
    QCOMPARE(app().user.name, QStringLiteral("rendszergazda"));
    QVERIFY(app().user.rendszergazda);
    window.close();
}

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
