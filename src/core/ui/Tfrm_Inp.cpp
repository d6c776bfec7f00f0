#include "core/ui/Tfrm_Inp.h"

#include "core/AppContext.h"
#include "core/Locale.h"
#include "core/TextUtil.h"
#include "core/ui/MessageBoxes.h"
#include "core/ui/WindowSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace orvix::ui {

namespace {

const QString kWindowName = QStringLiteral("Tfrm_Inp");
const QString kWholeFormat = QStringLiteral("### ### ##0");
const QString kLimitFormat = QStringLiteral("### ### ##0.0");
constexpr int kFieldWidth = 200;

// The free quantity is usually a difference of stored amounts; a value equal
// to it in the shown decimals must not count as more.
bool exceedsLimit(double value, double limit) {
    return value - limit > 1e-9 * std::max(1.0, std::abs(limit));
}

} // namespace

Tfrm_Inp::Tfrm_Inp(Kind kind, const QString& caption, const QString& prompt, double initial, bool wholeOnly,
                   double limit, QWidget* parent)
    : QDialog(parent), m_kind(kind), m_wholeOnly(kind == Kind::Quantity && wholeOnly),
      m_limit(kind == Kind::Quantity ? limit : kNoLimit), m_value(initial) {
    setObjectName(kWindowName);
    setWindowTitle(caption);
    setModal(true);

    const Settings& settings = app().settings;
    auto format = [&](double v) {
        if (m_kind == Kind::Money)
            return formatMoney(v, settings.formatft);
        return m_wholeOnly ? formatFloat(kWholeFormat, v) : formatQuantity(v, settings.formatdb);
    };

    m_prompt = new QLabel(prompt, this);
    m_prompt->setObjectName(QStringLiteral("Label1"));
    m_prompt->setWordWrap(true);
    m_edit = new QLineEdit(format(initial), this);
    m_edit->setObjectName(QStringLiteral("Edit1"));
    m_edit->setAlignment(Qt::AlignRight);
    m_edit->setMinimumWidth(kFieldWidth);
    m_edit->selectAll();
    restrictTypedKeys(m_edit, QStringLiteral(",-"));
    m_prompt->setBuddy(m_edit);
    m_limitLabel = new QLabel(this);
    m_limitLabel->setObjectName(QStringLiteral("Label2"));
    if (m_limit != kNoLimit)
        m_limitLabel->setText(QStringLiteral("Szabad: ") + format(m_limit));
    else
        m_limitLabel->hide();

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, [this] { tryAccept(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_edit);
    layout->addWidget(m_limitLabel);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_edit->setFocus();
    setupWindow(this, kWindowName, false);
}

bool Tfrm_Inp::tryAccept() {
    const QString typed = removeSpaces(m_edit->text());
    double value = 0;
    if (!typed.isEmpty()) {
        const std::optional<double> parsed = tryParseNumber(typed);
        if (!parsed) {
            refuse(QStringLiteral("Nem megfelelő érték."));
            return false;
        }
        value = *parsed;
    }
    if (m_wholeOnly && value != std::trunc(value)) {
        refuse(QStringLiteral("Ehhez a mértékegységhez csak egész szám adható."));
        return false;
    }
    if (m_limit != kNoLimit && exceedsLimit(value, m_limit)) {
        refuse(QStringLiteral("Túl nagy szám, legfeljebb ") + formatFloat(kLimitFormat, m_limit) +
               QStringLiteral(" lehet."));
        return false;
    }
    m_value = value;
    accept();
    return true;
}

void Tfrm_Inp::refuse(const QString& text) {
    showError(text);
    m_edit->setFocus();
    m_edit->selectAll();
}

void Tfrm_Inp::showError(const QString& text) {
    errorBox(this, text);
}

std::optional<double> inputNumberWindow(QWidget* parent, const QString& caption, const QString& prompt,
                                        double initial) {
    Tfrm_Inp window(Tfrm_Inp::Kind::Money, caption, prompt, initial, false, Tfrm_Inp::kNoLimit, parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.value();
}

std::optional<double> inputQuantityWindow(QWidget* parent, const QString& caption, const QString& prompt,
                                          double initial, bool wholeOnly, double limit) {
    Tfrm_Inp window(Tfrm_Inp::Kind::Quantity, caption, prompt, initial, wholeOnly, limit, parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.value();
}

} // namespace orvix::ui
