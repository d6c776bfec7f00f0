// The ready-made intervals of the period window, from fixed days.
#include "core/Periods.h"

#include <QTest>

using namespace orvix;

class PeriodsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void intervals_data() {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");

        // Weeks run Monday to Sunday, also across a year boundary.
        QTest::newRow("week, new year's day in the previous year's week 53")
            << "week" << QDate(2027, 1, 1) << QDate(2026, 12, 28) << QDate(2027, 1, 3);
        QTest::newRow("week, last days of a year in the next year's week 1")
            << "week" << QDate(2025, 12, 31) << QDate(2025, 12, 29) << QDate(2026, 1, 4);
        QTest::newRow("week on its Monday")
            << "week" << QDate(2024, 3, 4) << QDate(2024, 3, 4) << QDate(2024, 3, 10);
        QTest::newRow("week on its Sunday")
            << "week" << QDate(2024, 3, 10) << QDate(2024, 3, 4) << QDate(2024, 3, 10);

        QTest::newRow("month, leap February")
            << "month" << QDate(2024, 2, 15) << QDate(2024, 2, 1) << QDate(2024, 2, 29);
        QTest::newRow("month on its last day")
            << "month" << QDate(2023, 12, 31) << QDate(2023, 12, 1) << QDate(2023, 12, 31);

        QTest::newRow("last month across the year")
            << "last" << QDate(2027, 1, 1) << QDate(2026, 12, 1) << QDate(2026, 12, 31);
        QTest::newRow("last month from a 31st")
            << "last" << QDate(2024, 3, 31) << QDate(2024, 2, 1) << QDate(2024, 2, 29);
        QTest::newRow("last month of a 30-day month")
            << "last" << QDate(2024, 5, 31) << QDate(2024, 4, 1) << QDate(2024, 4, 30);

        QTest::newRow("year") << "year" << QDate(2024, 7, 1) << QDate(2024, 1, 1) << QDate(2024, 12, 31);
        QTest::newRow("year on new year's eve")
            << "year" << QDate(2026, 12, 31) << QDate(2026, 1, 1) << QDate(2026, 12, 31);
    }

    void intervals() {
        QFETCH(QString, interval);
        QFETCH(QDate, today);
        QFETCH(QDate, from);
        QFETCH(QDate, to);

        Period p;
        if (interval == QLatin1String("week"))
            p = thisWeekPeriod(today);
        else if (interval == QLatin1String("month"))
            p = thisMonthPeriod(today);
        else if (interval == QLatin1String("last"))
            p = lastMonthPeriod(today);
        else
            p = thisYearPeriod(today);
        QCOMPARE(p.from, from);
        QCOMPARE(p.to, to);
    }

    // The month period: a year and a month 01–12 in both fields.
    void monthPeriodCheck_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("field"); // -1: accepted
        QTest::addColumn<QString>("message");
        const QString month = QStringLiteral("A(z) \"%1\" mezőben a hónap 01 és 12 között lehet.");
        const QString form = QStringLiteral("A(z) \"%1\" mezőbe évet és hónapot írjon (például 2024.01)!");
        QTest::newRow("January to December") << "2024.01" << "2024.12" << -1 << QString();
        QTest::newRow("month 13") << "2024.01" << "2024.13" << 1 << month.arg(QStringLiteral("ig"));
        QTest::newRow("month 00") << "2024.00" << "2024.12" << 0 << month.arg(QStringLiteral("tól"));
        QTest::newRow("month 99") << "2024.99" << "2024.13" << 0 << month.arg(QStringLiteral("tól"));
        QTest::newRow("month left blank") << "2024." << "2024.12" << 0 << form.arg(QStringLiteral("tól"));
        QTest::newRow("one-digit month") << "2024.01" << "2024.3" << 1 << form.arg(QStringLiteral("ig"));
        QTest::newRow("empty") << "" << "" << 0 << form.arg(QStringLiteral("tól"));
    }
    void monthPeriodCheck() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, field);
        QFETCH(QString, message);
        const std::optional<MonthPeriodProblem> problem = checkMonthPeriod({from, to});
        QCOMPARE(problem.has_value(), field >= 0);
        if (problem) {
            QCOMPARE(problem->field, field);
            QCOMPARE(problem->message, message);
        }
    }
};

QTEST_GUILESS_MAIN(PeriodsTest)
#include "periods_test.moc"
