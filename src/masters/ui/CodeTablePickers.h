// The choose buttons of the customer and product windows: the code-table
// windows in choose mode for the payment methods, the currencies, and the
// origins, categories, units and tariff numbers, with the chosen key in the
// form the two windows store it.
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace orvix {
class Database;
}

namespace orvix::ui {

// The chosen payment method, or nothing when the chooser was closed.
std::optional<qint64> pickPaymentMethod(QWidget* parent, Database& db, qint64 current);
// The chosen currency code, or nothing.
std::optional<QString> pickCurrency(QWidget* parent, Database& db, const QString& current);
// A value of one of the product's code tables: "szarmazas", "kategoria",
// "mert" or "vtsz" (a tariff or a service number); nothing when closed.
std::optional<QString> pickProductCode(QWidget* parent, Database& db, const QString& table,
                                       const QString& current);

} // namespace orvix::ui
