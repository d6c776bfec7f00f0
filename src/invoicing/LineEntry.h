// Line entry: how a chosen product, a quantity and a price become a document
// line (szla_sor) with its per-unit net, VAT, gross and VAT band amounts. Three
// variants: a new line appended by the editor's "Új sor", the current line
// rewritten by "Szerkeszt", and a line of an import (the editor's "Import",
// the import-lines and new-document commands). They differ on purpose:
//
//   aspect                                    new        edited     imported
//   discount applied                          not J,W,E  not J,W,E  no
//   rate 0 for an exempt product or kind "M"  yes        yes        no
//   rate 0 on a reverse-charge document       yes        yes        yes
//   rate 0 when the header's afas is "N"      yes        no         no
//   advance item on "S": negative quantity    yes        no         no
//   band columns                              unrounded  2 decimals unrounded
//   Tipus from the advance flag               yes        yes        always "N"
//   Datum                                     not set    kept       today
//   comment                                   dialog     kept       empty
//
// Every change of the lines is written together with the header totals in one
// transaction, so that the totals always equal the sums of the lines.
#pragma once

#include "invoicing/Documents.h"
#include "invoicing/ProductChoice.h"

#include <QChar>
#include <QDate>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <optional>

namespace orvix {

class Database;
class Dialogs;
struct Settings;

// What the line entry takes from the document as last saved.
struct LineDocument {
    qint64 key = -1;
    QChar kind = kKindInvoice;
    bool reverseCharge = false; // fa = "I"
    bool vatLiable = true;      // afas is not "N"
    qint64 customer = -1;
    double discount = 0; // kedvezmeny, percent
    bool posted = false;

    // The stored header of the document. Throws DocumentError when there is
    // no such document.
    static LineDocument load(Database& db, qint64 key);
};

// The windows the line entry opens: the product chooser and the price dialog.
class LineEntryUi {
public:
    virtual ~LineEntryUi() = default;

    struct ChoiceRequest {
        ProductChoiceMode mode = ProductChoiceMode::Line; // Line or Advance
        QString startCode;                                // the product to start on
        qint64 customer = -1;
        QChar kind = kKindInvoice;
    };
    // The chosen product; nothing when cancelled.
    virtual std::optional<ProductChoiceResult> chooseProduct(const ChoiceRequest& request) = 0;
    // The price dialog with caption ("Ár" or "Ár megadás"), the offered net
    // price and the rate; the accepted net price, nothing when cancelled.
    virtual std::optional<double> editPrice(const QString& caption, double net, double rate) = 0;
};

// ---- The rules of the three variants ----------------------------------------

enum class LineVariant { New, Edited, Imported };

// The discount percent a line gets.
double lineDiscount(LineVariant variant, QChar kind, double documentDiscount);
// The VAT rate of a line of the product.
double lineRate(LineVariant variant, const LineDocument& doc, const ProductChoiceResult& product);
// The quantity stored for the quantity entered.
double lineQuantity(LineVariant variant, QChar kind, const ProductChoiceResult& product, double entered);
// Tipus: "E" for an advance item, else "N"; always "N" for an imported line.
QString lineType(LineVariant variant, const ProductChoiceResult& product);

// The unit net price of a line that takes the product's list price: the
// list net price less the document's discount (none on J, W and E
// documents). It is the document's price as it stands, also on a
// foreign-currency document: no exchange rate converts it.
double listLinePrice(double listNet, QChar kind, double documentDiscount);

// Unit amounts and VAT bands of a line at price P and rate R: egysar = netto =
// P, afa = R/100 × P, brutto = (R/100 + 1) × P; the bands of an edited line
// rounded to two decimals (halves to even). tmFlag is the product's tm flag
// as stored: "I" (exempt) carries the net in tm and fills no band 0. An
// imported line fills band 0 only when the flag is exactly "N", so a product
// with an empty flag leaves band 0 and tm at 0 there; on a new or an edited
// line an empty flag is simply not exempt.
struct LineAmounts {
    UnitAmounts unit;
    BandAmounts bands;
};
LineAmounts lineAmounts(LineVariant variant, double price, double rate, const QString& tmFlag);

// ---- Totals -------------------------------------------------------------------

struct DocumentTotals {
    double netto = 0;
    double afa = 0;
    double brutto = 0;
};
// The sums over the document's lines of netto × db, afa × db and brutto × db,
// written to the header (unrounded; 0 for a document without lines) and
// returned. Throws DbError.
DocumentTotals RecomputeTotals(Database& db, qint64 document);

// ---- The three variants ---------------------------------------------------------

inline const QString kLineSaveRefused = QStringLiteral("Érvénytelen adat megadás");
inline const QString kPostedDocumentMessage = QStringLiteral("Könyvelt bizonylat nem módosítható.");
// A line that another workstation deleted or renumbered meanwhile.
inline const QString kLineGoneMessage =
    QStringLiteral("A bizonylat sorait közben egy másik munkahelyen megváltoztatták; a sorok újra "
                   "betöltődtek. Kérem, ismételje meg a műveletet.");
inline QString unknownProductMessage(const QString& code) {
    return QStringLiteral("Nem létező cikkszám: ") + code;
}

struct LineEntryResult {
    bool made = false;     // a line was made (also when its save was refused)
    bool saved = false;    // the line is in the document
    bool setsNeta = false; // the header's neta became "I"
    int lineNumber = 0;
};

// "Új sor": product choice, quantity, name and comment, price; appends the
// line after the last one. made is false when anything was cancelled.
// currentCode: the product of the editor's current line (the chooser starts
// there). A refused save shows "Érvénytelen adat megadás" and the engine's
// text and still counts as made, so that the editor's loop goes on.
LineEntryResult EnterNewLine(Database& db, Dialogs& dialogs, LineEntryUi& ui, const Settings& settings,
                             const LineDocument& doc, const QString& currentCode);

// "Szerkeszt": rewrites line lineNumber with the chosen product, the quantity
// and name entered and the price. made is false when cancelled. Throws
// DocumentError (kLineGoneMessage) when the document has no such line (any
// more).
LineEntryResult EditLine(Database& db, Dialogs& dialogs, LineEntryUi& ui, const Settings& settings,
                         const LineDocument& doc, int lineNumber);

// One imported line: the product of exactly this code, price P (no
// discount), quantity Q, as line lineNumber. Written in the caller's
// transaction; the totals are the caller's. False after "Nem létező
// cikkszám: " + code. Throws DbError, and DocumentError (nothing written)
// for a price, quantity or line value a document cannot hold. written, when
// given, gets the unit amounts stored.
bool ImportLine(Database& db, Dialogs& dialogs, const LineDocument& doc, int lineNumber, const QString& code,
                double price, double quantity, const QDate& today = QDate::currentDate(),
                UnitAmounts* written = nullptr);

} // namespace orvix
