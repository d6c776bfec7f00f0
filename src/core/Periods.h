// The ready-made intervals of the period window ("Ez a hét", "Ez a hónap",
// "Múlt hónap", "Idén"), computed from a given day so that they do not depend
// on the clock.
#pragma once

#include "core/Dialogs.h"

#include <QDate>
#include <optional>

namespace orvix {

// Monday to Sunday of the ISO week that holds today (a week may reach into
// the previous or the next calendar year).
Period thisWeekPeriod(const QDate& today);
// First to last day of today's month.
Period thisMonthPeriod(const QDate& today);
// First to last day of the month before today's month.
Period lastMonthPeriod(const QDate& today);
// 1 January to 31 December of today's year.
Period thisYearPeriod(const QDate& today);

// What is wrong with a month period as typed ("yyyy.mm" in both fields):
// the message and the field (0 "tól", 1 "ig"). Nothing when both are a
// year and a month 01–12.
struct MonthPeriodProblem {
    QString message;
    int field = 0;
};
std::optional<MonthPeriodProblem> checkMonthPeriod(const MonthPeriod& period);

} // namespace orvix
