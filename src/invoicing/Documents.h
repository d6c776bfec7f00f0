// Documents: the header (szla) and line (szla_sor) rows of every document
// the program issues, their number sequences, the filling of a new header
// from the settings, the customer, the payment method, the currency and the
// issuer, the split of a line into VAT bands, the counter-document copy of
// credit notes and cancellations, and the printed form of a document number
// and of an address.
//
// Numbers are unique by law: every header is inserted under the write lock
// (Database::Transaction), and the unique index idx_szla_szlaszam guards the
// two sequences against any other writer. Operations that write several rows
// write all of them or none.
#pragma once

#include "core/AppContext.h"
#include "core/Settings.h"

#include <QChar>
#include <QDate>
#include <QString>
#include <QVariantMap>
#include <optional>
#include <stdexcept>
#include <vector>

namespace orvix {

class Database;
class Dialogs;

// A refused document operation (unknown customer, unknown document …), with
// the Hungarian text for the message box. Nothing was written.
class DocumentError : public std::runtime_error {
public:
    explicit DocumentError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// Kind letters of szla.prntip.
inline constexpr QChar kKindInvoice = QLatin1Char('S');
inline constexpr QChar kKindCreditNote = QLatin1Char('J');
inline constexpr QChar kKindAdvance = QLatin1Char('E');
inline constexpr QChar kKindProforma = QLatin1Char('P');
inline constexpr QChar kKindCancelling = QLatin1Char('W');

inline const QString kHomeCurrency = QStringLiteral("HUF");

// Refusals of a counter-document.
inline const QString kAlreadyCancelledMessage =
    QStringLiteral("A bizonylat már sztornózva van, nem készülhet róla újabb érvénytelenítő okirat.");
inline const QString kCancelCancellingMessage =
    QStringLiteral("Érvénytelenítő okiratról nem készülhet érvénytelenítő okirat.");

// ---- Numbering -------------------------------------------------------------

// The next free szlaszam of the kind's sequence: proformas ("P") count on
// their own, every other kind shares one sequence. The very first invoice
// ("S") of the shared sequence gets the setting indulszla.
qint64 NextDocNumber(Database& db, const Settings& settings, QChar kind);

// The printed document number: prefix + the number padded with zeros to 7
// digits (longer numbers unchanged) + "-" + kind + "/" + the issue year.
// SA, 123, S, 2024 -> "SA0000123-S/2024".
QString DocNumberText(qint64 number, QChar kind, const QString& prefix, const QDate& issued);

// ---- What a document can hold ------------------------------------------------

// The largest amount, in absolute value, that a unit price, a line's value or
// a document's total may be: twelve whole digits keep every sum of a document
// exact to the fillér in a double and printable on every form.
inline constexpr double kMaxDocumentAmount = 1e12;
// The largest quantity of a line, in absolute value.
inline constexpr double kMaxLineQuantity = 1e9;
// The largest VAT rate, in absolute value, in percent.
inline constexpr double kMaxVatRate = 1000;
// The highest exchange rate of a document (forints for one unit).
inline constexpr double kMaxExchangeRate = 1e6;

// The message for a line whose unit net price, quantity or VAT rate a
// document cannot hold: not a finite number, beyond its bound, or a unit
// gross or a line value (unit gross × quantity) beyond kMaxDocumentAmount.
// Nothing when the line fits.
std::optional<QString> LineValueProblem(double unitNet, double quantity, double rate);
// The same for a line whose unit amounts are given (net, VAT and gross).
std::optional<QString> LineAmountsProblem(double unitNet, double unitVat, double unitGross, double quantity,
                                          double rate);
// The message for document totals that are not finite or beyond
// kMaxDocumentAmount; nothing when they fit.
std::optional<QString> TotalsProblem(double net, double vat, double gross);
// The message for an exchange rate that is not finite, below 1 or above
// kMaxExchangeRate; nothing when it fits.
std::optional<QString> ExchangeRateProblem(double rate);
// The message for a text longer than the catalogue width of table.field
// ("A(z) "caption" legfeljebb N karakter lehet."); nothing when it fits.
std::optional<QString> TextWidthProblem(const QString& table, const QString& field, const QString& text,
                                        const QString& caption);

// ---- Amounts and VAT bands -------------------------------------------------

// Net, VAT and gross of one unit.
struct UnitAmounts {
    double net = 0;
    double vat = 0;
    double gross = 0;
};
// From a net price N at rate R %: VAT = N × R / 100, gross = N × (1 + R / 100).
UnitAmounts UnitAmountsFromNet(double net, double rate);
// From a gross price G: net = G / (1 + R / 100), VAT = G − net.
UnitAmounts UnitAmountsFromGross(double gross, double rate);

// The VAT band of a rate: the rate rounded to a whole number (halves to the
// even neighbour) r; band 0 for 0 ≤ r ≤ 9, band 12 for 10 ≤ r ≤ 19, band 25
// for 20 ≤ r ≤ 50, no band otherwise.
enum class VatBand { None, Band0, Band12, Band25 };
VatBand VatBandOf(double rate);

// The band fields of one line (unit amounts, like the line's netto, afa,
// brutto): the amounts of the line's band, 0 elsewhere. A subject-exempt
// product of band 0 puts its net into tm instead of netto0/afa0/brutto0.
struct BandAmounts {
    double netto0 = 0, afa0 = 0, brutto0 = 0;
    double netto12 = 0, afa12 = 0, brutto12 = 0;
    double netto25 = 0, afa25 = 0, brutto25 = 0;
    double tm = 0;
};
BandAmounts SplitIntoBands(const UnitAmounts& unit, double rate, bool subjectExempt);

// ---- Payment terms, exchange rate, customer data ---------------------------

struct PaymentTermsResult {
    QString fizetve = QStringLiteral("I"); // "I": paid at issue
    int fizhat = 0;                        // days to the due date
    bool found = false;                    // the payment method exists
};
// The paid-at-issue flag and the days of a payment method; a method that does
// not exist counts as paid at issue with 0 days.
PaymentTermsResult PaymentTerms(Database& db, qint64 fiztip);

// The exchange rate of a currency for a document issued today: 1 for HUF (and
// for an empty currency); otherwise the rate of today's latest document in
// that currency, and when there is none (or it holds 1) the rate asked with
// the number window "Árfolyam". A cancelled window keeps 1; a rate below 1
// or above kMaxExchangeRate is refused and asked again.
double AskExchangeRate(Database& db, Dialogs& dialogs, const QString& currency, const QDate& today);

// The issuer's snapshot fields of a header (tulajdonos, tirsz … tvallignev)
// from the one-row issuer table as it stands today.
void CopyIssuerSnapshot(Database& db, QVariantMap& header);

// Copies the customer of header["ugyfel"] into the header: name, billing
// address, tax numbers, bank account, discount, currency and its rate,
// VAT-liable flag, payment method with its name, paid flag and dates. A given
// exchangeRate is taken as it is (nothing asked). Throws DocumentError when
// the customer does not exist.
void FillCustomerData(Database& db, Dialogs& dialogs, const Settings& settings, QVariantMap& header,
                      const QDate& today, std::optional<double> exchangeRate = std::nullopt);

// ---- Creating documents ----------------------------------------------------

struct NewDocument {
    QChar kind = kKindInvoice;
    qint64 customer = 0;
    bool reverseCharge = false;
    // Totals of the header (CreateDocumentWithLines sums them from the lines).
    double gross = 0;
    double vat = 0;
    double net = 0;
    // Rate of a foreign-currency customer when already known; without it the
    // rate is looked up or asked (AskExchangeRate).
    std::optional<double> exchangeRate;
};

// One line to add: product, note, line number, unit amounts, quantity, rate.
struct DocumentLine {
    QString productCode;
    bool subjectExempt = false; // the product's tm flag is "I"
    QString note;
    int lineNumber = 1;
    double unitGross = 0;
    double unitVat = 0;
    double unitNet = 0;
    double quantity = 0;
    double vatRate = 0;
};

// Inserts a new header of the kind for the customer, filled from the settings,
// the issuer, the customer and its payment method, with the next number of
// the kind's sequence; returns its key. Anything asked (the exchange rate) is
// asked before the write lock is taken. Throws DocumentError for an unknown
// customer or kind.
qint64 CreateDocument(Database& db, Dialogs& dialogs, const Settings& settings, const CurrentUser& user,
                      const NewDocument& doc, const QDate& today = QDate::currentDate());

// CreateDocument and AddDocumentLine for every line in one transaction; the
// header totals are the sums of the lines' unit amounts × quantity.
qint64 CreateDocumentWithLines(Database& db, Dialogs& dialogs, const Settings& settings,
                               const CurrentUser& user, const NewDocument& doc,
                               const std::vector<DocumentLine>& lines,
                               const QDate& today = QDate::currentDate());

// Inserts one line of type "N" into the document: the product's name, tariff
// code, unit and attributes (empty when the code is not a product), the unit
// amounts and their VAT band. Throws DocumentError when the document does not
// exist or is posted.
void AddDocumentLine(Database& db, qint64 document, const DocumentLine& line,
                     const QDate& today = QDate::currentDate());

// A negated copy of a document as a new document of the kind (a credit note
// "J" or a cancelling document "W"): the header and every line, quantities
// and totals negated, numbered in the kind's sequence, referring to the
// source. A cancelling document marks its source cancelled (storno = "I") in
// the same transaction. Returns the new key. Throws DocumentError when the
// source does not exist, the kind is not J or W, or a cancelling document is
// asked for a source that is cancelled already (storno = "I", or it has a
// cancelling document) or is a cancelling document itself.
qint64 CopyAsCounterDocument(Database& db, const Settings& settings, const CurrentUser& user, qint64 source,
                             QChar kind, const QDate& today = QDate::currentDate());

// ---- Small look-ups ---------------------------------------------------------

// One-line address: "1234 Város Kerület, Utca út 1 A 2 3 4".
QString AddressLine(const QString& postalCode, const QString& city, const QString& district,
                    const QString& street, const QString& publicSpaceType, const QString& houseNumber,
                    const QString& building, const QString& staircase, const QString& floor,
                    const QString& door);

// The next delivery-note number (the highest szallev + 1).
qint64 NextDeliveryNoteNumber(Database& db);

// The customer's e-mail address; empty when none.
QString CustomerEmail(Database& db, qint64 customer);

// True when the document's customer takes electronic invoices (edi = "I").
bool IsEdiCustomer(Database& db, qint64 document);

// ---- Reverse charge ----------------------------------------------------------

// Asks whether a new document is an ordinary or a reverse-charge document
// (the window "ÁFA tartalom"): true for reverse charge, std::nullopt when
// cancelled.
class ReverseChargeChooser {
public:
    virtual ~ReverseChargeChooser() = default;
    virtual std::optional<bool> chooseReverseCharge() = 0;
};

// The reverse-charge choice of every new-document action: without the setting
// vanfa it is an ordinary document without asking; otherwise the chooser
// decides. std::nullopt when cancelled.
std::optional<bool> ChooseReverseCharge(const Settings& settings, ReverseChargeChooser& chooser);

} // namespace orvix
