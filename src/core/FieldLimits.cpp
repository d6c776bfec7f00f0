#include "core/FieldLimits.h"

#include "data/Schema.h"

#include <cmath>

namespace orvix {

int fieldWidth(const QString& table, const QString& field) {
    return data::fieldWidth(table, field);
}

QString textLengthProblem(const QString& table, const QString& field, const QString& text,
                          const QString& caption) {
    const int width = fieldWidth(table, field);
    if (width <= 0 || text.size() <= width)
        return {};
    return QStringLiteral("A(z) \"%1\" mező legfeljebb %2 karakter lehet.").arg(caption).arg(width);
}

bool amountFits(double value) {
    return std::isfinite(value) && std::fabs(value) <= kMaxAmount;
}

QString amountProblem(double value, const QString& caption) {
    if (amountFits(value))
        return {};
    return QStringLiteral("A(z) \"%1\" mező értéke érvénytelen: az összeg legfeljebb 1 000 000 000 000 "
                          "lehet (előjeltől függetlenül).")
        .arg(caption);
}

QString percentProblem(double value, double low, double high, const QString& caption) {
    if (std::isfinite(value) && value >= low && value <= high)
        return {};
    return QStringLiteral("A(z) \"%1\" értéke %2 és %3 között lehet.")
        .arg(caption)
        .arg(low, 0, 'g', 15)
        .arg(high, 0, 'g', 15);
}

} // namespace orvix
