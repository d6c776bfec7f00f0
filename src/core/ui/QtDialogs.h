// What the logic asks the user, answered with the program's message boxes
// and input windows, owned by the given window.
#pragma once

#include "core/Dialogs.h"

#include <QPointer>
#include <QWidget>

namespace orvix::ui {

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : m_parent(parent) {}

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
    QWidget* parent() const { return m_parent.data(); }

    QPointer<QWidget> m_parent;
};

} // namespace orvix::ui

namespace orvix {
using ui::QtDialogs;
} // namespace orvix
