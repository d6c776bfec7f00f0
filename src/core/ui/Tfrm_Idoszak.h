// The period window: a from and a to date, and buttons that fill in this
// week, this month, last month or this year.
#pragma once

#include "core/Dialogs.h"

#include <QDate>
#include <QDialog>
#include <QString>
#include <optional>

class QDateEdit;
class QPushButton;

namespace orvix::ui {

class Tfrm_Idoszak : public QDialog {
    Q_OBJECT

public:
    // An empty caption gives "Időszak megadása"; an invalid initial date shows today.
    explicit Tfrm_Idoszak(const Period& initial, const QString& caption = {}, QWidget* parent = nullptr);

    // The day the interval buttons count from (today unless set).
    void setToday(const QDate& today) { m_today = today; }
    void setPeriod(const Period& period);
    Period period() const;

    QDateEdit* fromEdit() const { return m_from; }
    QDateEdit* toEdit() const { return m_to; }
    QPushButton* thisWeekButton() const { return m_thisWeek; }
    QPushButton* thisMonthButton() const { return m_thisMonth; }
    QPushButton* lastMonthButton() const { return m_lastMonth; }
    QPushButton* thisYearButton() const { return m_thisYear; }

private:
    QDate m_today;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QPushButton* m_thisWeek = nullptr;
    QPushButton* m_thisMonth = nullptr;
    QPushButton* m_lastMonth = nullptr;
    QPushButton* m_thisYear = nullptr;
};

// The period chosen, or std::nullopt when cancelled.
std::optional<Period> inputPeriodWindow(QWidget* parent, const QString& caption, const Period& initial);

} // namespace orvix::ui
