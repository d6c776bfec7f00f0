#include "core/Periods.h"

#include <QRegularExpression>

namespace orvix {

namespace {

Period wholeMonth(int year, int month) {
    const QDate first(year, month, 1);
    return {first, first.addDays(first.daysInMonth() - 1)};
}

} // namespace

std::optional<MonthPeriodProblem> checkMonthPeriod(const MonthPeriod& period) {
    static const QRegularExpression form(QStringLiteral("^(\\d{4})\\.(\\d{2})$"));
    const QString texts[2] = {period.from.trimmed(), period.to.trimmed()};
    const QString captions[2] = {QStringLiteral("tól"), QStringLiteral("ig")};
    for (int i = 0; i < 2; ++i) {
        const QRegularExpressionMatch m = form.match(texts[i]);
        if (!m.hasMatch())
            return MonthPeriodProblem{
                QStringLiteral("A(z) \"%1\" mezőbe évet és hónapot írjon (például 2024.01)!").arg(captions[i]), i};
        const int month = m.captured(2).toInt();
        if (month < 1 || month > 12)
            return MonthPeriodProblem{
                QStringLiteral("A(z) \"%1\" mezőben a hónap 01 és 12 között lehet.").arg(captions[i]), i};
    }
    return std::nullopt;
}

Period thisWeekPeriod(const QDate& today) {
    // dayOfWeek(): Monday 1 … Sunday 7, as in the ISO week.
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    return {monday, monday.addDays(6)};
}

Period thisMonthPeriod(const QDate& today) {
    return wholeMonth(today.year(), today.month());
}

Period lastMonthPeriod(const QDate& today) {
    const QDate previous = QDate(today.year(), today.month(), 1).addMonths(-1);
    return wholeMonth(previous.year(), previous.month());
}

Period thisYearPeriod(const QDate& today) {
    return {QDate(today.year(), 1, 1), QDate(today.year(), 12, 31)};
}

} // namespace orvix
