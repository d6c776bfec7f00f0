#include "masters/ui/CodeTablePickers.h"

#include "masters/ui/Tfrm_CodeTable.h"

namespace orvix::ui {

std::optional<qint64> pickPaymentMethod(QWidget* parent, Database& db, qint64 current) {
    const std::optional<PaymentMethodChoice> chosen = choosePaymentMethod(parent, db, current);
    if (!chosen || chosen->fiztip < 0)
        return std::nullopt;
    return chosen->fiztip;
}

std::optional<QString> pickCurrency(QWidget* parent, Database& db, const QString& current) {
    const std::optional<QVariant> chosen =
        openCodeTable(parent, db, CodeTableId::Currencies, CodeTableMode::Choose, current);
    if (!chosen)
        return std::nullopt;
    return chosen->toString().trimmed();
}

std::optional<QString> pickProductCode(QWidget* parent, Database& db, const QString& table,
                                       const QString& current) {
    CodeTableId id = CodeTableId::TariffNumbers;
    if (table == QLatin1String("szarmazas"))
        id = CodeTableId::Origins;
    else if (table == QLatin1String("kategoria"))
        id = CodeTableId::Categories;
    else if (table == QLatin1String("mert"))
        id = CodeTableId::Units;
    const std::optional<QVariant> chosen = openCodeTable(parent, db, id, CodeTableMode::Choose, current);
    if (!chosen)
        return std::nullopt;
    return chosen->toString().trimmed();
}

} // namespace orvix::ui
