// "Felhasználó adatainak szerkesztése": one user's login name, password (typed
// twice), the administrator right and the right to edit the master data.
//
// Passwords are stored only as hashes, so an existing user's password cannot
// be shown: both password fields start empty, and left empty they keep the
// stored password. A new user must get a password.
#pragma once

#include "core/ui/WindowDialogs.h"

#include <QDialog>
#include <QString>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

class Tfrm_FelhasznaloSzerkeszt : public QDialog {
    Q_OBJECT

public:
    // `userName` empty: a new user. Messages go to `dialogs`, or to the
    // program's own boxes when it is null.
    Tfrm_FelhasznaloSzerkeszt(Database& db, const QString& userName, QWidget* parent = nullptr,
                              Dialogs* dialogs = nullptr);
    ~Tfrm_FelhasznaloSzerkeszt() override;

    // The login name as stored by "OK".
    QString savedName() const { return m_savedName; }

    QLineEdit* nameEdit() const { return m_name; }
    QLineEdit* passwordEdit() const { return m_password; }
    QLineEdit* passwordAgainEdit() const { return m_passwordAgain; }
    QCheckBox* administratorBox() const { return m_rendszergazda; }
    QCheckBox* writeBox() const { return m_iras; }
    QPushButton* okButton() const { return m_ok; }

private:
    void ok();

    Database& m_db;
    WindowDialogs m_dialogs;
    QString m_originalName;
    QString m_savedName;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_passwordAgain = nullptr;
    QCheckBox* m_rendszergazda = nullptr;
    QCheckBox* m_iras = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace orvix::ui

namespace orvix {
using ui::Tfrm_FelhasznaloSzerkeszt;
} // namespace orvix
