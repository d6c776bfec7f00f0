// The product master: the product row as the product window sees it, the
// defaults of a new product, the net/gross recomputation at a VAT rate, saving
// with the two duplicate checks of a new product, and the soft delete.
//
// Products are never removed: deleting one sets `torolve` to "I". A deleted
// product disappears from the lists but keeps its code: no new product may
// take it, and the document lines that name it stay valid.
#pragma once

#include "masters/Customers.h"

#include <QString>
#include <optional>

namespace orvix {

class Database;
class Dialogs;
struct Settings;

// The fields of a product row that the product window edits, and the
// advance-item fields that a new row gets.
struct Product {
    QString cikkszam; // key, upper case
    QString cikkszam_nev;
    QString cikkszam_nev2;
    QString szarmazas;
    QString kategoria;
    QString mert;
    QString megjegyzes;
    double netto = 0;
    double afa = 0;
    double brutto = 0;
    double afakulcs = 0;
    QString vtsz;
    QString gariido;
    QString ean;
    bool tm = false;                // "Adómentes"
    bool kozv_szolgaltatas = false; // "Közvetített szolgáltatás"
    bool neta = false;
    int kulonb_szer_szab = 0; // 0 none … 4 antiques
    bool eloleg = false;      // advance item
    qint64 ugyfel = 0;        // owner customer of an advance item

    bool operator==(const Product&) const = default;
};

// The margin-scheme choices in the order of their codes 0 to 4.
QStringList marginSchemeNames();

// The defaults of a new product: the VAT rate and unit of the settings, not
// exempt, no margin scheme, not intermediated, not NETA, not an advance item.
Product newProductDefaults(const Settings& settings);

// The product with this code (deleted ones too); nothing when there is none.
std::optional<Product> loadProduct(Database& db, const QString& cikkszam);

// ---- Prices ------------------------------------------------------------------

struct Prices {
    double netto = 0;
    double afa = 0;
    double brutto = 0;
};

// Net-based entry: VAT = rate/100 × net, gross = (rate/100 + 1) × net.
Prices pricesFromNet(double netto, double afakulcs);
// Gross-based entry: net = gross / (rate/100 + 1), VAT = gross − net.
// Amounts are not rounded.
Prices pricesFromGross(double brutto, double afakulcs);

// The prices a product is saved with. An exempt product gets rate 0, VAT 0
// and gross := net, the net price being the one entered (net-based entry) or
// the one the entered gross price gives at the product's rate (gross-based
// entry). Otherwise the other two prices are recomputed from the entered one
// at the product's rate.
void settlePrices(Product& product, bool grossBased);

// ---- Saving ------------------------------------------------------------------

inline const QString kInvalidDataMessage = QStringLiteral("Érvénytelen adat megadás");
// The name of the category that a new advance item adds when it is missing.
inline const QString kAdvanceCategoryName = QStringLiteral("Előleg");

// Whether a code-table value (origin, category, unit) is one of its table's
// rows. An empty value is allowed.
bool codeTableHas(Database& db, const QString& table, const QString& value);

// "OK" of the product window. `stored` is the row as loaded (nothing for a
// new product). Checks the code and name, the lengths, the rate (0–100), the
// prices (finite, within ±kMaxAmount), the code-table values that were
// changed, settles the prices (settlePrices) and, for a new row only, refuses
// a code already in use (also by a deleted product) with its name and asks
// about a product of the same name; then inserts or updates the row. A new
// advance item whose category or unit is missing from its table adds it in
// the same transaction. The code of an existing product is its key and is
// not changed.
SaveResult saveProduct(Database& db, Dialogs& dialogs, Product& product, const std::optional<Product>& stored,
                       bool grossBased);

// Soft delete after the question (caption "Megerősítés"); true when marked.
bool softDeleteProduct(Database& db, Dialogs& dialogs, const QString& cikkszam, const QString& question);

} // namespace orvix
