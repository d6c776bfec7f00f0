// Paying documents: the single payment of one document in full and the
// combined payment of a customer spread over the customer's unpaid invoices.
//
// Each payment is one write transaction: the cash-book entry and the header
// changes land together or not at all.
#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace orvix {

class Database;
class Dialogs;

inline const QString kStornoNotPayable = QStringLiteral("Sztornó bizonylat nem fizethető");
inline const QString kPaymentDone = QStringLiteral("Kifizetés kész.");
inline const QString kPaymentCaption = QStringLiteral("Kifizetés");
inline const QString kPaymentPrompt = QStringLiteral("Add meg az összeget");
inline const QString kAmountNotPositive = QStringLiteral("A kifizetett összegnek pozitívnak kell lennie.");

// Amounts closer than half a fillér (half a cent in a foreign currency) are
// equal: the rounding noise of sums never leaves a document outstanding.
inline constexpr double kPaymentTolerance = 0.005;

// The payment fields of a document header.
struct PaymentView {
    qint64 document = 0;
    bool storno = false;
    bool paid = false;        // fizetve = "I"
    QDate paidOn;             // dat_fizetve
    QString voucher;          // bizonylat
    double gross = 0;         // brutto
    double paidAmount = 0;    // penzfizetve
    double outstanding() const { return gross - paidAmount; }
};

// The header of a document; empty when it does not exist. Throws DbError.
std::optional<PaymentView> ReadPayment(Database& db, qint64 document);

// A paid document without payment date gets today at once (the window then
// shows it). Throws DbError.
void FillMissingPaymentDate(Database& db, qint64 document, const QDate& today = QDate::currentDate());

// Pays the document in full: books its outstanding amount into the cash
// book (on the desk of its payment method) and sets paid, the payment date,
// the paid amount = gross and the voucher reference (at most 25 characters).
// A storno document, an already paid one or a bad voucher is refused with a
// message and changes nothing. Returns whether it was paid.
bool PayDocument(Database& db, Dialogs& dialogs, qint64 document, const QDate& date, const QString& voucher);

// The customer's debt: gross less paid of every not-cancelled document of
// the customer but the cancelling and proforma ones. Throws DbError.
double CustomerDebt(Database& db, qint64 customer);

// "Túl nagy szám, legfeljebb " + debt + " lehet." when the amount is above the
// debt; empty when it fits.
std::optional<QString> CombinedAmountProblem(double amount, double debt);

struct CombinedPaymentResult {
    bool done = false;
    qint64 cashEntry = 0;     // 0: no desk chosen, no entry
    int paidInFull = 0;
    std::optional<qint64> partlyPaid;
    double left = 0;          // the amount left after the last unpaid invoice
};

// Takes the amount from the customer: books it on the desk (none: no cash
// entry), then settles the customer's unpaid invoices oldest first, the last
// one partly, all in one transaction. An amount not above 0 or above the
// debt is refused with a message and changes nothing.
CombinedPaymentResult PayCustomer(Database& db, Dialogs& dialogs, qint64 customer, double amount,
                                  std::optional<qint64> desk, const QDate& today = QDate::currentDate());

} // namespace orvix
