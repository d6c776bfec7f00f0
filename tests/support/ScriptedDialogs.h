// A Dialogs implementation for headless tests: answers come from a queue set
// up by the test, and every question asked is recorded as "kind: text".
#pragma once

#include "core/Dialogs.h"

#include <QStringList>
#include <QVariant>
#include <deque>

namespace orvix {
class Database;
}

namespace orvix::test {

class ScriptedDialogs : public Dialogs {
public:
    // Answers are consumed in order by the input and question calls. A
    // cancelled input is an invalid QVariant. A question with no queued
    // answer is answered with defaultAnswer.
    std::deque<QVariant> answers;
    bool defaultAnswer = true;
    // "error: …", "question: caption | text", "inputText: caption | prompt"
    // ("inputPassword: caption | prompt" for a hidden input) …
    QStringList asked;
    // With a database set, every message or question shown while that
    // database holds an open transaction (its write lock) is also recorded
    // here, as in `asked`.
    const Database* transactionWatch = nullptr;
    QStringList shownInTransaction;

    void error(const QString& text) override { record(QStringLiteral("error: ") + text); }
    void warning(const QString& text) override { record(QStringLiteral("warning: ") + text); }
    void info(const QString& text) override { record(QStringLiteral("info: ") + text); }
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

    // The recorded entries that start with the given kind ("error" …).
    QStringList askedOf(const QString& kind) const;

private:
    QVariant take();
    void record(const QString& entry);
};

} // namespace orvix::test
