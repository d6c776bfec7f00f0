// Product choice: what a chosen product brings onto a document line, the
// lists of the product chooser "Cikkszám választás" for its four uses, its
// search, the advance items of a customer with their generated codes, and the
// detailed search "Termék keresése" over products or customers.
#pragma once

#include "masters/Products.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

class QSqlQuery;

namespace orvix {

class Database;
struct Settings;

// The chosen product as a document line takes it over.
struct ProductChoiceResult {
    QString mert;                         // unit
    QString vtsz;                         // customs/statistics number
    QString eloleg = QStringLiteral("N"); // advance item "I"/"N"
    double netto = 0;                     // net price
    double afa = 0;                       // VAT amount
    double brutto = 0;                    // gross price
    double afakulcs = 0;                  // VAT rate in percent
    QString cikkszam;                     // product code
    QString cikkszam_nev;                 // name
    QString cikkszam_nev2;                // second name
    bool exempt = false;                  // tm = "I"
    QString tm = QStringLiteral("N");     // the tm flag as stored (may be empty)
    QString kozv_szolgaltatas = QStringLiteral("N");
    QString neta = QStringLiteral("N");
    int kulonb_szer_szab = 0;

    bool isAdvance() const { return eloleg == QLatin1String("I"); }
};

// The result from the current row of a query on cikkszam (SELECT *).
ProductChoiceResult productChoiceFromQuery(const QSqlQuery& q);

// Direct lookup by the exact code (deleted products too); nothing when there
// is no such product.
std::optional<ProductChoiceResult> LookupProduct(Database& db, const QString& code);

// ---- The chooser's list ------------------------------------------------------

enum class ProductChoiceMode {
    Plain,         // products that are neither deleted nor advance items
    PlainWithName, // the same list; the caller also takes the name
    Line,          // a document line: also the advance items of the customer
    Advance        // only the customer's advance items
};

// The list's filter of a use of the chooser.
QString productChooserFilter(ProductChoiceMode mode, qint64 customer);

// The condition of a search text: not deleted and the code, the name or the
// second name containing the text, letter case and accents ignored; only
// "not deleted" for an empty text.
QString productSearchCondition(const QString& text);

// The chooser's whole condition: the use's filter and the search condition.
QString productChooserCondition(ProductChoiceMode mode, qint64 customer, const QString& searchText);

// The fields the chooser may be ordered by (its columns, and the VAT amount
// by which the main window's product list may be ordered): anything else
// orders by the code.
QString productChooserOrderField(const QString& field);

// The order of the main window's product list: the field it is sorted by
// (empty: the code). The main window keeps it up to date; a product chooser
// opens in that order with that column highlighted.
void setProductListOrder(const QString& field);
QString productListOrder();

// ---- Advance items ------------------------------------------------------------

// "0ELO" followed by the value in upper-case hexadecimal, cut to 10 characters.
QString advanceItemCode(quint32 value);
// A code for a new advance item from a clock-seeded draw of 10000 to 75534,
// drawn again while a product already has it.
QString newAdvanceItemCode(Database& db);
// The new advance item of a customer as the product window starts it: name
// "Előleg", category "ELOLEG", unit "Db" (the spelling the unit table already
// has), prices 0, the default VAT rate. Writes nothing: saving the item adds
// a missing category or unit with it (saveProduct).
Product newAdvanceItem(Database& db, const Settings& settings, qint64 customer);

// ---- Detailed search ("Termék keresése") ----------------------------------------

enum class SearchTarget { Products = 0, Customers = 1 };
enum class SearchMethod {
    Anywhere = 1,  // "Bárhol előforduló (cikkszámban is)"
    Beginning = 2, // "A mező elején (csak megnevezésben)"
    Whole = 3      // "A mezővel teljesen egyező (csak megnevezésben)"
};

// The key and the two shown columns of the search's rows, as query lines; the
// last line is the ORDER BY line. orderField empty: ordered by the key.
QStringList detailedSearchQuery(SearchTarget target, SearchMethod method, const QString& text,
                                const QString& orderField = {});
// The shown columns: field and title.
QStringList detailedSearchFields(SearchTarget target);
QStringList detailedSearchTitles(SearchTarget target);
inline const QString kSearchFailedMessage = QStringLiteral("Nincs ilyen sor, keresés sikertelen");

} // namespace orvix
