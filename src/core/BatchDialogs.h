// Dialogs for batch work (the command line, generators): messages go to the
// error output, and anything that would need an answer is refused through the
// given function, which throws the caller's own error.
#pragma once

#include "core/Dialogs.h"

#include <functional>

namespace orvix {

class BatchDialogs : public Dialogs {
public:
    // refuse receives the question's caption or prompt and must throw.
    explicit BatchDialogs(std::function<void(const QString&)> refuse);

    void error(const QString& text) override;
    void warning(const QString& text) override;
    void info(const QString& text) override;
    bool question(const QString& caption, const QString& text) override;
    Answer question3(const QString& caption, const QString& text) override;
    std::optional<QString> inputText(const QString& caption, const QString& prompt, const QString& initial,
                                     const QString& mask, Echo echo) override;
    std::optional<double> inputNumber(const QString& caption, const QString& prompt, double initial) override;
    std::optional<double> inputQuantity(const QString& caption, const QString& prompt, double initial,
                                        bool wholeOnly, double limit) override;
    std::optional<NumberAndText> inputNumberText(const QString& caption, const QString& prompt1,
                                                 const QString& prompt2, const NumberAndText& initial,
                                                 const QString& prompt3) override;
    std::optional<Period> inputPeriod(const QString& caption, const Period& initial) override;
    std::optional<MonthPeriod> inputMonthPeriod(const QString& caption, const MonthPeriod& initial) override;
    int chooseDatabase(const QString& caption, const QStringList& names, const QStringList& entries) override;

private:
    [[noreturn]] void refuse(const QString& question);

    std::function<void(const QString&)> m_refuse;
};

} // namespace orvix
