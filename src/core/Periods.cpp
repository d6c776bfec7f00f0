#include "core/Periods.h"

namespace orvix {

namespace {

Period wholeMonth(int year, int month) {
    const QDate first(year, month, 1);
    return {first, first.addDays(first.daysInMonth() - 1)};
}

} // namespace

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
