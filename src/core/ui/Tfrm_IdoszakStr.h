// The month period window: "tól" and "ig", each a year.month text. "OK"
// accepts only a year and a month 01–12 in both.
#pragma once

#include "core/Dialogs.h"

#include <QDialog>
#include <QString>
#include <optional>

class QLineEdit;

namespace orvix::ui {

class Tfrm_IdoszakStr : public QDialog {
    Q_OBJECT

public:
    // Messages go to `dialogs`, or to the program's own boxes when it is null.
    // The mask of both fields: four digits, a point and two digits (yyyy.mm).
    static const QString kMask;

    explicit Tfrm_IdoszakStr(const MonthPeriod& initial, const QString& caption = {},
                             QWidget* parent = nullptr, Dialogs* dialogs = nullptr);

    // Both texts as typed.
    MonthPeriod period() const;
    // "OK": checks both months; a wrong one is told and gets the focus.
    void ok();
    QLineEdit* fromEdit() const { return m_from; }
    QLineEdit* toEdit() const { return m_to; }

private:
    QLineEdit* m_from = nullptr;
    QLineEdit* m_to = nullptr;
    Dialogs* m_dialogs = nullptr;
};

// The two texts, or std::nullopt when cancelled.
std::optional<MonthPeriod> inputMonthPeriodWindow(QWidget* parent, const QString& caption,
                                                  const MonthPeriod& initial);

} // namespace orvix::ui
