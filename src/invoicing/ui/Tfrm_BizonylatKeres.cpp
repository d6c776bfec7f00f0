#include "invoicing/ui/Tfrm_BizonylatKeres.h"

#include "core/ui/WindowSupport.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_BizonylatKeres");
} // namespace

Tfrm_BizonylatKeres::Tfrm_BizonylatKeres(const QStringList& kindItems, QWidget* parent) : QDialog(parent) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Bizonylat keresés"));
    setModal(true);

    auto* group = new QGroupBox(QStringLiteral("Bizonylat típus"), this);
    group->setObjectName(QStringLiteral("RadioGroup1"));
    auto* groupLayout = new QVBoxLayout(group);
    auto* buttons = new QButtonGroup(this);
    for (const QString& item : kindItems) {
        auto* b = new QRadioButton(item, group);
        b->setObjectName(QStringLiteral("Kind%1").arg(m_kinds.size()));
        buttons->addButton(b);
        groupLayout->addWidget(b);
        b->installEventFilter(this);
        m_kinds << b;
    }
    if (!m_kinds.isEmpty())
        m_kinds.first()->setChecked(true);

    auto* label = new QLabel(QStringLiteral("bizonylatszám"), this);
    m_number = new QLineEdit(this);
    m_number->setObjectName(QStringLiteral("Edit1"));
    label->setBuddy(m_number);

    const OkCancelButtons ok = makeOkCancelButtons(this);
    connect(ok.ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(label);
    layout->addWidget(m_number);
    layout->addLayout(ok.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_number->setFocus();
    setupWindow(this, kWindowName, false);
}

bool Tfrm_BizonylatKeres::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            key->modifiers() == Qt::NoModifier) {
            m_number->setFocus();
            m_number->selectAll();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<DocumentRef> Tfrm_BizonylatKeres::result() const {
    for (const QRadioButton* b : m_kinds)
        if (b->isChecked())
            return documentSearchResult(b->text(), m_number->text());
    return std::nullopt;
}

std::optional<DocumentRef> searchDocumentWindow(QWidget* parent, Database& db) {
    Tfrm_BizonylatKeres window(documentKindItems(db), parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.result();
}

} // namespace orvix::ui
