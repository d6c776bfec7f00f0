#include "core/ui/Tfrm_Idoszak.h"

#include "core/Locale.h"
#include "core/Periods.h"
#include "core/ui/WindowSupport.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_Idoszak");

QDateEdit* makeDateEdit(QWidget* parent, const QString& name) {
    auto* edit = new QDateEdit(parent);
    edit->setObjectName(name);
    edit->setDisplayFormat(dateFormatPattern());
    edit->setCalendarPopup(true);
    return edit;
}
} // namespace

Tfrm_Idoszak::Tfrm_Idoszak(const Period& initial, const QString& caption, QWidget* parent)
    : QDialog(parent), m_today(QDate::currentDate()) {
    setObjectName(kWindowName);
    setWindowTitle(caption.isEmpty() ? QStringLiteral("Időszak megadása") : caption);
    setModal(true);

    auto* periodBox = new QGroupBox(QStringLiteral("Időszak"), this);
    periodBox->setObjectName(QStringLiteral("GroupBox1"));
    m_from = makeDateEdit(periodBox, QStringLiteral("DateEdit1"));
    m_to = makeDateEdit(periodBox, QStringLiteral("DateEdit2"));
    auto* dash = new QLabel(QStringLiteral("–"), periodBox);
    dash->setObjectName(QStringLiteral("Label1"));
    auto* periodRow = new QHBoxLayout(periodBox);
    periodRow->addWidget(m_from);
    periodRow->addWidget(dash);
    periodRow->addWidget(m_to);

    auto* intervalBox = new QGroupBox(QStringLiteral("Intervallum"), this);
    intervalBox->setObjectName(QStringLiteral("GroupBox2"));
    auto* intervalRow = new QHBoxLayout(intervalBox);
    auto addInterval = [&](const QString& name, const QString& text, Period (*interval)(const QDate&)) {
        auto* button = new QPushButton(text, intervalBox);
        button->setObjectName(name);
        connect(button, &QPushButton::clicked, this, [this, interval] { setPeriod(interval(m_today)); });
        intervalRow->addWidget(button);
        return button;
    };
    m_thisWeek = addInterval(QStringLiteral("Button1"), QStringLiteral("Ez a hét"), &thisWeekPeriod);
    m_thisMonth = addInterval(QStringLiteral("Button2"), QStringLiteral("Ez a hónap"), &thisMonthPeriod);
    m_lastMonth = addInterval(QStringLiteral("Button3"), QStringLiteral("Múlt hónap"), &lastMonthPeriod);
    m_thisYear = addInterval(QStringLiteral("Button4"), QStringLiteral("Idén"), &thisYearPeriod);

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);
    // Ctrl+Enter confirms from any field.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, buttons.ok, &QPushButton::click);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(periodBox);
    layout->addWidget(intervalBox);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setPeriod(initial);
    m_from->setFocus();
    setupWindow(this, kWindowName, false);
}

void Tfrm_Idoszak::setPeriod(const Period& period) {
    m_from->setDate(period.from.isValid() ? period.from : m_today);
    m_to->setDate(period.to.isValid() ? period.to : m_today);
}

Period Tfrm_Idoszak::period() const {
    return {m_from->date(), m_to->date()};
}

std::optional<Period> inputPeriodWindow(QWidget* parent, const QString& caption, const Period& initial) {
    Tfrm_Idoszak window(initial, caption, parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.period();
}

} // namespace orvix::ui
