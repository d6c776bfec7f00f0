#include "ScriptedDialogs.h"

#include "common/Database.h"

namespace orvix::test {

void ScriptedDialogs::record(const QString& entry) {
    asked << entry;
    if (transactionWatch && transactionWatch->inTransaction())
        shownInTransaction << entry;
}

QVariant ScriptedDialogs::take() {
    if (answers.empty())
        return {};
    QVariant v = answers.front();
    answers.pop_front();
    return v;
}

bool ScriptedDialogs::question(const QString& caption, const QString& text) {
    record(QStringLiteral("question: ") + caption + QStringLiteral(" | ") + text);
    if (answers.empty())
        return defaultAnswer;
    return take().toBool();
}

Dialogs::Answer ScriptedDialogs::question3(const QString& caption, const QString& text) {
    record(QStringLiteral("question3: ") + caption + QStringLiteral(" | ") + text);
    const QVariant v = take();
    if (!v.isValid())
        return Answer::Cancel;
    return static_cast<Answer>(v.toInt());
}

std::optional<QString> ScriptedDialogs::inputText(const QString& caption, const QString& prompt, const QString&,
                                                  const QString&, Echo echo) {
    asked << (echo == Echo::Password ? QStringLiteral("inputPassword: ") : QStringLiteral("inputText: ")) +
                 caption + QStringLiteral(" | ") + prompt;
    const QVariant v = take();
    if (!v.isValid())
        return std::nullopt;
    return v.toString();
}

std::optional<double> ScriptedDialogs::inputNumber(const QString& caption, const QString& prompt, double) {
    asked << QStringLiteral("inputNumber: ") + caption + QStringLiteral(" | ") + prompt;
    const QVariant v = take();
    if (!v.isValid())
        return std::nullopt;
    return v.toDouble();
}

std::optional<double> ScriptedDialogs::inputQuantity(const QString& caption, const QString& prompt, double, bool,
                                                     double) {
    asked << QStringLiteral("inputQuantity: ") + caption + QStringLiteral(" | ") + prompt;
    const QVariant v = take();
    if (!v.isValid())
        return std::nullopt;
    return v.toDouble();
}

std::optional<NumberAndText> ScriptedDialogs::inputNumberText(const QString& caption, const QString& prompt1,
                                                              const QString&, const NumberAndText&,
                                                              const QString&) {
    asked << QStringLiteral("inputNumberText: ") + caption + QStringLiteral(" | ") + prompt1;
    const QVariant v = take();
    if (!v.isValid())
        return std::nullopt;
    const QVariantList l = v.toList();
    NumberAndText r;
    r.number = l.value(0).toDouble();
    r.text1 = l.value(1).toString();
    r.text2 = l.value(2).toString();
    return r;
}

std::optional<Period> ScriptedDialogs::inputPeriod(const QString& caption, const Period&) {
    asked << QStringLiteral("inputPeriod: ") + caption;
    const QVariant v = take();
    if (!v.isValid())
        return std::nullopt;
    const QVariantList l = v.toList();
    return Period{l.value(0).toDate(), l.value(1).toDate()};
}

std::optional<MonthPeriod> ScriptedDialogs::inputMonthPeriod(const QString& caption, const MonthPeriod&) {
    asked << QStringLiteral("inputMonthPeriod: ") + caption;
    const QVariant v = take();
    if (!v.isValid())
        return std::nullopt;
    const QStringList l = v.toStringList();
    return MonthPeriod{l.value(0), l.value(1)};
}

int ScriptedDialogs::chooseDatabase(const QString& caption, const QStringList& names, const QStringList&) {
    asked << QStringLiteral("chooseDatabase: ") + caption + QStringLiteral(" | ") + names.join(QLatin1Char(','));
    const QVariant v = take();
    if (!v.isValid())
        return -1;
    return v.toInt();
}

QStringList ScriptedDialogs::askedOf(const QString& kind) const {
    QStringList out;
    for (const QString& a : asked)
        if (a.startsWith(kind + QLatin1Char(':')))
            out << a.mid(kind.size() + 2);
    return out;
}

} // namespace orvix::test
