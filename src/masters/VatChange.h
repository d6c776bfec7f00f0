// The VAT rate change of the product master: when the law changes a rate,
// every product of the old rate moves to the new one, and its prices are
// recomputed keeping either the net or the gross price. Products that
// already had the new rate are recomputed the same way. The whole change is
// one transaction; no rounding is applied.
#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace orvix {

class Database;

// A rate change that was refused; nothing was changed.
class VatChangeError {
public:
    explicit VatChangeError(QString text) : m_text(std::move(text)) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

enum class VatKeep { Net, Gross };

// A rate in use by products not deleted, with their number.
struct VatRateUse {
    double rate = 0;
    int products = 0;
};

// "Jelenlegi áfa kulcs": every rate of the product master, deleted products
// included, in ascending order.
QList<double> productVatRates(Database& db);
// The rates in use by products not deleted, with their counts.
QList<VatRateUse> productVatRatesInUse(Database& db);

// A rate typed by the user ("27", "5,5", "5.5"); empty when the text is not
// a rate from 0 to 100.
std::optional<double> parseVatRate(const QString& text);
// A rate as the window and the messages show it: "27", "5,5".
QString vatRateText(double rate);

// Moves the products of rate from to rate to and recomputes their prices,
// and those of the products that had rate to already. Returns the number of
// products recomputed. Throws VatChangeError when no product has rate from,
// DbError on a failed statement (the change is then rolled back).
int changeVatRate(Database& db, double from, double to, VatKeep keep);

// The rate text of "Új áfa kulcs" checked first: an empty or unreadable text
// is refused with a message instead of moving the products to 0 %.
int changeVatRate(Database& db, double from, const QString& toText, VatKeep keep);

} // namespace orvix
