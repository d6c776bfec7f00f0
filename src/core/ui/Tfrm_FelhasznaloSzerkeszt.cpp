#include "core/ui/Tfrm_FelhasznaloSzerkeszt.h"

#include "common/Database.h"
#include "core/Users.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/WindowSupport.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_FelhasznaloSzerkeszt");

QLineEdit* passwordField(QWidget* owner, const char* name) {
    auto* edit = new QLineEdit(owner);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(kMaxPasswordLength);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}
} // namespace

Tfrm_FelhasznaloSzerkeszt::Tfrm_FelhasznaloSzerkeszt(Database& db, const QString& userName, QWidget* parent,
                                                     Dialogs* dialogs)
    : QDialog(parent), m_db(db), m_originalName(userName) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Felhasználó adatainak szerkesztése"));
    if (!dialogs) {
        m_ownDialogs = std::make_unique<QtDialogs>(this);
        dialogs = m_ownDialogs.get();
    }
    m_dialogs = dialogs;

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("eFelhasznalo"));
    limitToField(m_name, QStringLiteral("felhasznalo"), QStringLiteral("felhasznalo"));
    m_password = passwordField(this, "eJelszo");
    m_passwordAgain = passwordField(this, "eJelszo2");
    m_rendszergazda = new QCheckBox(QStringLiteral("Rendszergazda"), this);
    m_rendszergazda->setObjectName(QStringLiteral("cbRendszergazda"));
    m_iras = new QCheckBox(QStringLiteral("Törzsadattárakat szerkesztheti"), this);
    m_iras->setObjectName(QStringLiteral("cbIras"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Felhasználó"), m_name);
    form->addRow(QStringLiteral("Jelszó"), m_password);
    form->addRow(QStringLiteral("Jelszó még egyszer"), m_passwordAgain);
    if (!userName.isEmpty()) {
        auto* hint = new QLabel(QStringLiteral("Üresen hagyva a jelszó nem változik."), this);
        hint->setObjectName(QStringLiteral("lblJelszoMarad"));
        form->addRow(QString(), hint);
    }
    form->addRow(QString(), m_rendszergazda);
    form->addRow(QString(), m_iras);

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    m_ok = buttons.ok;
    connect(m_ok, &QPushButton::clicked, this, &Tfrm_FelhasznaloSzerkeszt::ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    if (!userName.isEmpty()) {
        try {
            if (const std::optional<UserRow> user = findUser(db, userName)) {
                m_name->setText(user->name);
                m_rendszergazda->setChecked(user->rendszergazda);
                m_iras->setChecked(user->iras);
            }
        } catch (const DbError& e) {
            m_dialogs->error(e.text());
        }
    }

    m_name->setFocus();
    setupWindow(this, kWindowName, false, true);
}

Tfrm_FelhasznaloSzerkeszt::~Tfrm_FelhasznaloSzerkeszt() = default;

void Tfrm_FelhasznaloSzerkeszt::ok() {
    UserEdit edit;
    edit.originalName = m_originalName;
    edit.name = m_name->text();
    edit.password = m_password->text();
    edit.passwordAgain = m_passwordAgain->text();
    edit.rendszergazda = m_rendszergazda->isChecked();
    edit.iras = m_iras->isChecked();
    if (!saveUser(m_db, *m_dialogs, edit))
        return; // the window stays open for a correction
    m_savedName = edit.name.trimmed();
    accept();
}

} // namespace orvix::ui
