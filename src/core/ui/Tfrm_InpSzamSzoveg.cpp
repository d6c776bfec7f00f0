#include "core/ui/Tfrm_InpSzamSzoveg.h"

#include "core/Locale.h"
#include "core/TextUtil.h"
#include "core/ui/MessageBoxes.h"
#include "core/ui/ScreenTexts.h"
#include "core/ui/WindowSupport.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_InpSzamSzoveg");
constexpr int kFieldWidth = 260;
} // namespace

Tfrm_InpSzamSzoveg::Tfrm_InpSzamSzoveg(const QString& caption, const QString& prompt1, const QString& prompt2,
                                       const NumberAndText& initial, const QString& prompt3, QWidget* parent)
    : QDialog(parent), m_result(initial) {
    setObjectName(kWindowName);
    setWindowTitle(caption);
    setModal(true);

    auto* grid = new QGridLayout;
    auto addRow = [&](int row, const QString& prompt, const QString& value) {
        auto* label = new QLabel(prompt, this);
        label->setObjectName(QStringLiteral("Label%1").arg(row + 1));
        auto* edit = new QLineEdit(value, this);
        edit->setObjectName(QStringLiteral("Edit%1").arg(row + 1));
        edit->setMinimumWidth(kFieldWidth);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    // The number in its shortest general form ("1234,5").
    m_number = addRow(0, prompt1, formatFloat(QString(), initial.number));
    restrictTypedKeys(m_number, QStringLiteral(",-."));
    m_text1 = addRow(1, prompt2, initial.text1);
    if (!prompt3.isEmpty())
        m_text2 = addRow(2, prompt3, initial.text2);

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, [this] { tryAccept(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_number->selectAll();
    m_number->setFocus();
    setupWindow(this, kWindowName, false);
    maybeExportScreenTexts(this);
}

bool Tfrm_InpSzamSzoveg::tryAccept() {
    const std::optional<double> number = tryParseNumber(removeSpaces(m_number->text()));
    if (!number) {
        showError(QStringLiteral("Nem megfelelő érték."));
        m_number->setFocus();
        m_number->selectAll();
        return false;
    }
    m_result.number = *number;
    m_result.text1 = m_text1->text();
    if (m_text2)
        m_result.text2 = m_text2->text();
    accept();
    return true;
}

void Tfrm_InpSzamSzoveg::showError(const QString& text) {
    errorBox(this, text);
}

std::optional<NumberAndText> inputNumberTextWindow(QWidget* parent, const QString& caption,
                                                   const QString& prompt1, const QString& prompt2,
                                                   const NumberAndText& initial, const QString& prompt3) {
    Tfrm_InpSzamSzoveg window(caption, prompt1, prompt2, initial, prompt3, parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.values();
}

} // namespace orvix::ui
