#include "core/BatchDialogs.h"

#include <QTextStream>
#include <stdexcept>

namespace orvix {

BatchDialogs::BatchDialogs(std::function<void(const QString&)> refuse) : m_refuse(std::move(refuse)) {}

void BatchDialogs::refuse(const QString& question) {
    m_refuse(question);
    // The refusal function must throw; stop here in any case.
    throw std::logic_error("batch dialogs: a question was not refused");
}

void BatchDialogs::error(const QString& text) { QTextStream(stderr) << "Hiba: " << text << '\n'; }
void BatchDialogs::warning(const QString& text) { QTextStream(stderr) << "Figyelmeztetés: " << text << '\n'; }
void BatchDialogs::info(const QString& text) { QTextStream(stderr) << text << '\n'; }
bool BatchDialogs::question(const QString&, const QString& text) { refuse(text); }
Dialogs::Answer BatchDialogs::question3(const QString&, const QString& text) { refuse(text); }
std::optional<QString> BatchDialogs::inputText(const QString&, const QString& prompt, const QString&,
                                               const QString&, Echo) {
    refuse(prompt);
}
std::optional<double> BatchDialogs::inputNumber(const QString&, const QString& prompt, double) { refuse(prompt); }
std::optional<double> BatchDialogs::inputQuantity(const QString&, const QString& prompt, double, bool, double) {
    refuse(prompt);
}
std::optional<NumberAndText> BatchDialogs::inputNumberText(const QString&, const QString& prompt1, const QString&,
                                                           const NumberAndText&, const QString&) {
    refuse(prompt1);
}
std::optional<Period> BatchDialogs::inputPeriod(const QString& caption, const Period&) { refuse(caption); }
std::optional<MonthPeriod> BatchDialogs::inputMonthPeriod(const QString& caption, const MonthPeriod&) {
    refuse(caption);
}
int BatchDialogs::chooseDatabase(const QString& caption, const QStringList&, const QStringList&) { refuse(caption); }

} // namespace orvix
