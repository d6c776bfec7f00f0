// The month period window: "tól" and "ig", each a year.month text.
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
    // The mask of both fields: four digits, a point and two digits (yyyy.mm).
    static const QString kMask;

    explicit Tfrm_IdoszakStr(const MonthPeriod& initial, const QString& caption = {},
                             QWidget* parent = nullptr);

    // Both texts as typed.
    MonthPeriod period() const;
    QLineEdit* fromEdit() const { return m_from; }
    QLineEdit* toEdit() const { return m_to; }

private:
    QLineEdit* m_from = nullptr;
    QLineEdit* m_to = nullptr;
};

// The two texts, or std::nullopt when cancelled.
std::optional<MonthPeriod> inputMonthPeriodWindow(QWidget* parent, const QString& caption,
                                                  const MonthPeriod& initial);

} // namespace orvix::ui
