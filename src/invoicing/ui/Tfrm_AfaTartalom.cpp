#include "invoicing/ui/Tfrm_AfaTartalom.h"

#include "core/ui/WindowSupport.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_AfaTartalom");
}

Tfrm_AfaTartalom::Tfrm_AfaTartalom(QWidget* parent) : QDialog(parent) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("ÁFA tartalom"));
    setModal(true);

    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("RadioGroup1"));
    m_normal = new QRadioButton(QStringLiteral("Normál ÁFÁ-s számla"), group);
    m_normal->setObjectName(QStringLiteral("RadioNormal"));
    m_reverse = new QRadioButton(QStringLiteral("Fordított adózás (FA)"), group);
    m_reverse->setObjectName(QStringLiteral("RadioReverse"));
    m_normal->setChecked(true);
    auto* choices = new QButtonGroup(this);
    choices->addButton(m_normal, 0);
    choices->addButton(m_reverse, 1);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_normal);
    groupLayout->addWidget(m_reverse);

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_normal->setFocus();
    setupWindow(this, kWindowName, false);
}

bool Tfrm_AfaTartalom::reverseCharge() const {
    return m_reverse->isChecked();
}

std::optional<bool> AfaTartalomChooser::chooseReverseCharge() {
    Tfrm_AfaTartalom window(m_parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.reverseCharge();
}

} // namespace orvix::ui
