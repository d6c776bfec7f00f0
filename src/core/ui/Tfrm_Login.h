// The login window "Belépés azonosítás": user name and password, "OK",
// "Mégsem" and "Új jelszó". Every "OK" leaves a row in the login log; the
// window closes with OK only on a successful login.
#pragma once

#include "core/AppContext.h"
#include "core/ui/WindowDialogs.h"

#include <QDialog>
#include <memory>

class QLineEdit;
class QPushButton;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

class Tfrm_Login : public QDialog {
    Q_OBJECT

public:
    // Messages and the new-password inputs go to `dialogs`, or to the
    // program's own boxes when it is null.
    explicit Tfrm_Login(Database& db, QWidget* parent = nullptr, Dialogs* dialogs = nullptr);
    ~Tfrm_Login() override;

    // The logged-in user with the two rights; valid once the window ended with OK.
    const CurrentUser& user() const { return m_user; }

    QLineEdit* nameEdit() const { return m_name; }
    QLineEdit* passwordEdit() const { return m_password; }

private:
    void ok();
    void newPassword();

    Database& m_db;
    WindowDialogs m_dialogs;
    CurrentUser m_user;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_newPassword = nullptr;
};

// The login of the program's start (called when the setting `belepjelszo` is
// on). A folder without any user lets in the administrator "rendszergazda"
// with both rights after a warning; otherwise the login window decides.
// False when the window was closed without a successful login: the program
// then ends.
bool loginAtStartup(QWidget* parent, Database& db, CurrentUser& user);

} // namespace orvix::ui

namespace orvix {
using ui::loginAtStartup;
using ui::Tfrm_Login;
} // namespace orvix
