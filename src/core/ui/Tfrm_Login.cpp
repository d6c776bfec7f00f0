#include "core/ui/Tfrm_Login.h"

#include "common/Database.h"
#include "core/Users.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/WindowSupport.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_Login");
} // namespace

Tfrm_Login::Tfrm_Login(Database& db, QWidget* parent, Dialogs* dialogs) : QDialog(parent), m_db(db) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Belépés azonosítás"));
    if (!dialogs) {
        m_ownDialogs = std::make_unique<QtDialogs>(this);
        dialogs = m_ownDialogs.get();
    }
    m_dialogs = dialogs;

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("eFelhasznalo"));
    limitToField(m_name, QStringLiteral("felhasznalo"), QStringLiteral("felhasznalo"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("eJelszo"));
    m_password->setMaxLength(kMaxPasswordLength);
    m_password->setEchoMode(QLineEdit::Password);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Felhasználó"), m_name);
    form->addRow(QStringLiteral("Jelszó"), m_password);

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    m_ok = buttons.ok;
    m_cancel = buttons.cancel;
    m_newPassword = new QPushButton(QStringLiteral("Új jelszó"), this);
    m_newPassword->setObjectName(QStringLiteral("BitBtn3"));
    m_newPassword->setAutoDefault(false);
    buttons.row->insertWidget(0, m_newPassword);
    connect(m_ok, &QPushButton::clicked, this, &Tfrm_Login::ok);
    connect(m_newPassword, &QPushButton::clicked, this, &Tfrm_Login::newPassword);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_name->setFocus();
    setupWindow(this, kWindowName, false, true);
}

Tfrm_Login::~Tfrm_Login() = default;

void Tfrm_Login::ok() {
    const QString name = m_name->text();
    const std::optional<CurrentUser> user = attemptLogin(m_db, *m_dialogs, name, m_password->text());
    if (!user) {
        // Another try: the password is typed again.
        m_password->setFocus();
        m_password->selectAll();
        return;
    }
    m_user = *user;
    accept();
}

void Tfrm_Login::newPassword() {
    changePassword(m_db, *m_dialogs, m_name->text(), m_password->text());
    m_password->setFocus();
    m_password->selectAll();
}

bool loginAtStartup(QWidget* parent, Database& db, CurrentUser& user) {
    QtDialogs dialogs(parent);
    try {
        if (const std::optional<CurrentUser> administrator = loginWithoutUsers(db, dialogs)) {
            user = *administrator;
            return true;
        }
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return false;
    }
    Tfrm_Login window(db, parent);
    if (window.exec() != QDialog::Accepted)
        return false;
    user = window.user();
    return true;
}

} // namespace orvix::ui
