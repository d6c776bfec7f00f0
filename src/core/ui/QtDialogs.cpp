#include "core/ui/QtDialogs.h"

#include "core/ui/InputTextBox.h"
#include "core/ui/MessageBoxes.h"
#include "core/ui/Tfrm_AdatbazisNyitBDE.h"
#include "core/ui/Tfrm_Idoszak.h"
#include "core/ui/Tfrm_IdoszakStr.h"
#include "core/ui/Tfrm_Inp.h"
#include "core/ui/Tfrm_InpSzamSzoveg.h"

namespace orvix::ui {

void QtDialogs::error(const QString& text) {
    errorBox(parent(), text);
}

void QtDialogs::warning(const QString& text) {
    warningBox(parent(), text);
}

void QtDialogs::info(const QString& text) {
    infoBox(parent(), text);
}

bool QtDialogs::question(const QString& caption, const QString& text) {
    return questionBox(parent(), caption, text);
}

Dialogs::Answer QtDialogs::question3(const QString& caption, const QString& text) {
    return questionBox3(parent(), caption, text);
}

std::optional<QString> QtDialogs::inputText(const QString& caption, const QString& prompt,
                                            const QString& initial, const QString& mask) {
    return inputTextBox(parent(), caption, prompt, initial, mask);
}

std::optional<double> QtDialogs::inputNumber(const QString& caption, const QString& prompt, double initial) {
    return inputNumberWindow(parent(), caption, prompt, initial);
}

std::optional<double> QtDialogs::inputQuantity(const QString& caption, const QString& prompt, double initial,
                                               bool wholeOnly, double limit) {
    return inputQuantityWindow(parent(), caption, prompt, initial, wholeOnly, limit);
}

std::optional<NumberAndText> QtDialogs::inputNumberText(const QString& caption, const QString& prompt1,
                                                        const QString& prompt2, const NumberAndText& initial,
                                                        const QString& prompt3) {
    return inputNumberTextWindow(parent(), caption, prompt1, prompt2, initial, prompt3);
}

std::optional<Period> QtDialogs::inputPeriod(const QString& caption, const Period& initial) {
    return inputPeriodWindow(parent(), caption, initial);
}

std::optional<MonthPeriod> QtDialogs::inputMonthPeriod(const QString& caption, const MonthPeriod& initial) {
    return inputMonthPeriodWindow(parent(), caption, initial);
}

int QtDialogs::chooseDatabase(const QString& caption, const QStringList& names, const QStringList& entries) {
    return chooseDatabaseWindow(parent(), caption, names, entries);
}

} // namespace orvix::ui
