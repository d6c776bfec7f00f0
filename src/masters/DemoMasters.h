// Demo data for a data folder: a realistic Hungarian issuer, customers and
// products with the code tables behind them (categories, origins, units).
//
// Everything is drawn from one seed, so the same seed always gives the same
// folder. Each step (issuer, customers, products …) draws from its own random
// stream derived from the seed, so a step added later leaves the rows of the
// earlier steps unchanged for a given seed.
#pragma once

#include <QString>
#include <QtGlobal>
#include <stdexcept>

namespace orvix {

class Database;

struct DemoOptions {
    int customers = 300;
    int products = 300;
    quint32 seed = 1;
};

// The demo data were not loaded; text() is the Hungarian reason for the user.
class DemoDataError : public std::runtime_error {
public:
    explicit DemoDataError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// Whether the folder already holds customers or products.
bool hasMasters(Database& db);

// Fills the issuer row, the categories, origins and units, the customers and
// the products of an open data folder in one transaction. Refuses with
// DemoDataError when the folder already holds customers or products (demo
// masters are never loaded twice) or when the postcode table is empty; engine
// failures come as DbError. On any error nothing is written.
void fillDemoMasters(Database& db, const DemoOptions& options);

} // namespace orvix
