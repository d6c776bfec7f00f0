#include "masters/ui/Tfrm_SzallitasiCim.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/WindowSupport.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_SzallitasiCim");
} // namespace

Tfrm_SzallitasiCim::Tfrm_SzallitasiCim(Database& db, const DeliveryAddress& address, QWidget* parent,
                                       Dialogs* dialogs)
    : QDialog(parent), m_db(db), m_address(address) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Szállítási cím"));
    if (!dialogs) {
        m_ownDialogs = std::make_unique<QtDialogs>(this);
        dialogs = m_ownDialogs.get();
    }
    m_dialogs = dialogs;

    // The address window enters less than the table's fields hold.
    const auto makeEdit = [this](const QString& field, int width, const QString& text) {
        auto* e = new QLineEdit(this);
        e->setObjectName(field);
        e->setMaxLength(width);
        e->setText(text.left(width));
        return e;
    };
    m_nev = makeEdit(QStringLiteral("nev"), kAddressNameWidth, address.nev);
    m_irsz = makeEdit(QStringLiteral("irsz"), kAddressPostcodeWidth, address.irsz);
    m_varos = makeEdit(QStringLiteral("varos"), kAddressTownWidth, address.varos);
    m_cim = makeEdit(QStringLiteral("cim"), kAddressStreetWidth, address.cim);
    m_irsz->setMaximumWidth(m_irsz->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    m_nev->setMinimumWidth(m_nev->fontMetrics().averageCharWidth() * 40);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("név"), m_nev);
    form->addRow(QStringLiteral("irsz."), m_irsz);
    form->addRow(QStringLiteral("város"), m_varos);
    form->addRow(QStringLiteral("cím"), m_cim);

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, &Tfrm_SzallitasiCim::ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_irsz, &QLineEdit::editingFinished, this, [this] {
        try {
            if (const auto fill = fillTownFromPostcode(m_db, m_irsz->text(), m_varos->text(),
                                                       app().settings.alapvaros, false))
                m_varos->setText(fill->town.left(m_varos->maxLength()));
        } catch (const DbError& e) {
            m_dialogs->error(e.text());
        }
    });

    setupWindow(this, kWindowName, false, true);
    m_nev->setFocus();
}

Tfrm_SzallitasiCim::~Tfrm_SzallitasiCim() = default;

QLineEdit* Tfrm_SzallitasiCim::edit(const QString& field) const {
    return findChild<QLineEdit*>(field);
}

void Tfrm_SzallitasiCim::ok() {
    DeliveryAddress a = m_address;
    a.nev = m_nev->text();
    a.irsz = m_irsz->text();
    a.varos = m_varos->text();
    a.cim = m_cim->text();
    const SaveResult result = saveDeliveryAddress(m_db, *m_dialogs, a);
    if (!result.saved) {
        if (QLineEdit* e = edit(result.focusField))
            e->setFocus();
        return;
    }
    m_address = a;
    accept();
}

} // namespace orvix::ui
