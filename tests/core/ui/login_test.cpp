// The login window offscreen: a wrong password keeps it open and is logged,
// Enter moves on and confirms, "Mégsem" cancels, "Új jelszó" changes the
// password; the start-up login with and without users.
#include "ScriptedDialogs.h"
#include "TestFolders.h"
#include "core/Users.h"
#include "core/ui/InputTextBox.h"
#include "core/ui/MessageBoxes.h"
#include "core/ui/Tfrm_Login.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace orvix;
using orvix::test::ScriptedDialogs;
using orvix::test::TempDataFolder;

namespace {

qint64 logCount(Database& db, int sikeres) {
    return db.queryInt(QStringLiteral("SELECT COUNT(*) FROM naplo WHERE sikeres = ?"), 0, {sikeres});
}

void addUser(Database& db, const QString& name, const QString& password, bool admin, bool iras) {
    ScriptedDialogs d;
    QVERIFY(saveUser(db, d, UserEdit{{}, name, password, password, admin, iras}));
}

// Runs `step` on the login window once it is shown modally.
void whenLoginShown(const std::function<void(Tfrm_Login*)>& step) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (auto* w = qobject_cast<Tfrm_Login*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            step(w);
        }
    });
    timer->start();
}

QPushButton* button(QWidget* w, const char* name) {
    return w->findChild<QPushButton*>(QLatin1String(name));
}

} // namespace

class LoginTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

    void showAndWait(QWidget& w) {
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }

private Q_SLOTS:
    void init() {
        m_folder = std::make_unique<TempDataFolder>();
        addUser(db(), QStringLiteral("Anna"), QStringLiteral("titok"), true, false);
        addUser(db(), QStringLiteral("Béla"), QStringLiteral("b"), false, true);
    }
    void cleanup() { m_folder.reset(); }

    void wrongPasswordKeepsWindowOpen() {
        ScriptedDialogs d;
        Tfrm_Login w(db(), nullptr, &d);
        showAndWait(w);
        QCOMPARE(w.windowTitle(), QStringLiteral("Belépés azonosítás"));
        QCOMPARE(w.passwordEdit()->echoMode(), QLineEdit::Password);
        QCOMPARE(button(&w, "BitBtn1")->text(), QStringLiteral("OK"));
        QCOMPARE(button(&w, "BitBtn2")->text(), QStringLiteral("Mégsem"));
        QCOMPARE(button(&w, "BitBtn3")->text(), QStringLiteral("Új jelszó"));

        // Enter in the name moves to the password; Enter there is "OK".
        w.nameEdit()->setFocus();
        w.nameEdit()->setText(QStringLiteral("Béla"));
        QTest::keyClick(w.nameEdit(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.passwordEdit());
        QTest::keyClicks(w.passwordEdit(), QStringLiteral("rossz"));
        QTest::keyClick(w.passwordEdit(), Qt::Key_Return);
        QVERIFY(w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QCOMPARE(d.asked, QStringList{QStringLiteral("error: Érvénytelen felhasználó, vagy jelszó")});
        QCOMPARE(logCount(db(), 0), qint64(1));

        // The second try, with the mouse.
        w.passwordEdit()->setText(QStringLiteral("b"));
        QTest::mouseClick(button(&w, "BitBtn1"), Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(w.user().name, QStringLiteral("Béla"));
        QVERIFY(!w.user().rendszergazda);
        QVERIFY(w.user().iras);
        QCOMPARE(logCount(db(), 0), qint64(1));
        QCOMPARE(logCount(db(), 1), qint64(1));
    }

    void cancelEndsWithoutLogin() {
        ScriptedDialogs d;
        Tfrm_Login w(db(), nullptr, &d);
        showAndWait(w);
        w.nameEdit()->setText(QStringLiteral("Anna"));
        w.passwordEdit()->setText(QStringLiteral("titok"));
        QTest::mouseClick(button(&w, "BitBtn2"), Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QVERIFY(d.asked.isEmpty());
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM naplo"), -1), qint64(0));
    }

    void newPasswordButton() {
        ScriptedDialogs d;
        d.answers = {QStringLiteral("új"), QStringLiteral("új")};
        Tfrm_Login w(db(), nullptr, &d);
        showAndWait(w);
        w.nameEdit()->setText(QStringLiteral("Anna"));
        w.passwordEdit()->setText(QStringLiteral("titok"));
        QTest::mouseClick(button(&w, "BitBtn3"), Qt::LeftButton);
        QVERIFY(w.isVisible());
        QCOMPARE(d.askedOf(QStringLiteral("info")), QStringList{QStringLiteral("Jelszó változtatás kész.")});
        QVERIFY(checkLogin(db(), QStringLiteral("Anna"), QStringLiteral("új")));
        QVERIFY(!checkLogin(db(), QStringLiteral("Anna"), QStringLiteral("titok")));

        // The new password logs in from the same window.
        w.passwordEdit()->setText(QStringLiteral("új"));
        QTest::mouseClick(button(&w, "BitBtn1"), Qt::LeftButton);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(w.user().rendszergazda);
    }

    // The program's own input windows of "Új jelszó" show the new password
    // as placeholder characters, never as typed.
    void newPasswordInputsHideTheText() {
        QStringList shown;
        ui::ScopedMessageInterceptor intercept([&](const ui::MessageRequest& m) {
            shown << m.caption + QStringLiteral(" | ") + m.text;
            return Dialogs::Answer::Yes;
        });
        QList<QLineEdit::EchoMode> modes;
        QStringList captions;
        auto* timer = new QTimer(this);
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<ui::InputTextBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box->edit()->text() == QStringLiteral("x9"))
                return;
            modes << box->edit()->echoMode();
            captions << box->windowTitle();
            QTest::keyClicks(box->edit(), QStringLiteral("x9"));
            button(box, "BitBtn1")->click();
        });
        timer->start();
        Tfrm_Login w(db());
        showAndWait(w);
        w.nameEdit()->setText(QStringLiteral("Anna"));
        w.passwordEdit()->setText(QStringLiteral("titok"));
        QTest::mouseClick(button(&w, "BitBtn3"), Qt::LeftButton);
        timer->stop();
        QCOMPARE(captions, (QStringList{QStringLiteral("Jelszó megadása"), QStringLiteral("Megerősítés")}));
        QCOMPARE(modes, (QList<QLineEdit::EchoMode>{QLineEdit::Password, QLineEdit::Password}));
        QCOMPARE(shown, QStringList{QStringLiteral("Üzenet | Jelszó változtatás kész.")});
        QVERIFY(checkLogin(db(), QStringLiteral("Anna"), QStringLiteral("x9")));
    }

    void startupLogin_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("wrong, then right") << false;
        QTest::newRow("wrong, then Mégsem") << true;
    }

    void startupLogin() {
        QFETCH(bool, cancel);
        QStringList shown;
        ui::ScopedMessageInterceptor intercept([&](const ui::MessageRequest& m) {
            shown << m.caption + QStringLiteral(" | ") + m.text;
            return Dialogs::Answer::Yes;
        });
        whenLoginShown([cancel](Tfrm_Login* w) {
            w->nameEdit()->setText(QStringLiteral("Anna"));
            w->passwordEdit()->setText(QStringLiteral("rossz"));
            button(w, "BitBtn1")->click();
            if (cancel) {
                button(w, "BitBtn2")->click();
                return;
            }
            w->passwordEdit()->setText(QStringLiteral("titok"));
            button(w, "BitBtn1")->click();
        });
        CurrentUser user;
        user.name = QStringLiteral("előző");
        user.iras = false;
        const bool ok = loginAtStartup(nullptr, db(), user);
        QCOMPARE(ok, !cancel);
        QCOMPARE(shown, QStringList{QStringLiteral("Hiba | Érvénytelen felhasználó, vagy jelszó")});
        QCOMPARE(user.name, cancel ? QStringLiteral("előző") : QStringLiteral("Anna"));
        QCOMPARE(user.rendszergazda, true);
        QCOMPARE(user.iras, false);
        QCOMPARE(logCount(db(), 0), qint64(1));
        QCOMPARE(logCount(db(), 1), qint64(cancel ? 0 : 1));
    }

    void startupWithoutUsersLetsAdministratorIn() {
        db().execSql(QStringLiteral("DELETE FROM felhasznalo"));
        QStringList shown;
        ui::ScopedMessageInterceptor intercept([&](const ui::MessageRequest& m) {
            shown << m.caption + QStringLiteral(" | ") + m.text;
            return Dialogs::Answer::Yes;
        });
        CurrentUser user;
        user.name = QStringLiteral("előző");
        user.rendszergazda = false;
        user.iras = false;
        QVERIFY(loginAtStartup(nullptr, db(), user));
        QCOMPARE(shown, QStringList{QStringLiteral("Figyelmeztetés | ") + kNoUsersMessage});
        QCOMPARE(user.name, QStringLiteral("rendszergazda"));
        QVERIFY(user.rendszergazda);
        QVERIFY(user.iras);
    }
};

QTEST_MAIN(LoginTest)
#include "login_test.moc"
