#include "core/ui/Tfrm_IdoszakStr.h"

#include "core/Periods.h"
#include "core/ui/MessageBoxes.h"
#include "core/ui/WindowSupport.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_IdoszakStr");
} // namespace

const QString Tfrm_IdoszakStr::kMask = QStringLiteral("0000.00;_");

Tfrm_IdoszakStr::Tfrm_IdoszakStr(const MonthPeriod& initial, const QString& caption, QWidget* parent,
                                 Dialogs* dialogs)
    : QDialog(parent), m_dialogs(dialogs) {
    setObjectName(kWindowName);
    setWindowTitle(caption.isEmpty() ? QStringLiteral("Időszak megadása") : caption);
    setModal(true);

    auto* grid = new QGridLayout;
    auto addRow = [&](int row, const QString& prompt, const QString& value) {
        auto* label = new QLabel(prompt, this);
        label->setObjectName(QStringLiteral("Label%1").arg(row + 1));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Edit%1").arg(row + 1));
        edit->setInputMask(kMask);
        edit->setText(value);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    m_from = addRow(0, QStringLiteral("tól"), initial.from);
    m_to = addRow(1, QStringLiteral("ig"), initial.to);

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, &Tfrm_IdoszakStr::ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_from->setFocus();
    setupWindow(this, kWindowName, false);
}

MonthPeriod Tfrm_IdoszakStr::period() const {
    return {m_from->text(), m_to->text()};
}

void Tfrm_IdoszakStr::ok() {
    if (const std::optional<MonthPeriodProblem> problem = checkMonthPeriod(period())) {
        if (m_dialogs)
            m_dialogs->error(problem->message);
        else
            errorBox(this, problem->message);
        QLineEdit* field = problem->field == 0 ? m_from : m_to;
        field->setFocus();
        field->selectAll();
        return;
    }
    accept();
}

std::optional<MonthPeriod> inputMonthPeriodWindow(QWidget* parent, const QString& caption,
                                                  const MonthPeriod& initial) {
    Tfrm_IdoszakStr window(initial, caption, parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.period();
}

} // namespace orvix::ui
