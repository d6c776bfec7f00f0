// Writing cash-book entries (table cassa): the one place where an entry gets
// its desk's running balance and voucher number.
//
// Every entry carries the desk's balance after it (penzvan) and a voucher
// number counted per desk (bizszam). Both are read from the desk's latest
// entry and written in the same write transaction, so that two workstations
// booking on one desk at once can neither give one voucher number twice nor
// build a balance on a stale one; the unique index idx_cassa_bizszam
// (cassak, bizszam) guards the numbers against any other writer, and a
// conflict is retried with fresh values.
//
// Posting books a paid-at-issue document here; the payments book the amount
// they settle; the cash-book window adds hand entries.
#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace orvix {

class Database;

// Movement type letters of the automatic entries.
inline const QString kCashIncomeType = QStringLiteral("B");  // "Bevétel eladásból"
inline const QString kCashExpenseType = QStringLiteral("V"); // "Kiadás visszavétből"

// One entry to write. The voucher number and the balance are not part of it:
// the write gives them.
struct CashEntry {
    qint64 desk = 0;       // cassak
    QDate date;            // datum
    QString type;          // cassatip
    double amount = 0;     // osszeg as stored
    double effect = 0;     // the signed change of the desk's balance
    std::optional<qint64> document;       // mozgas (empty for hand entries)
    std::optional<qint64> documentNumber; // mozgaz
    QString documentKind;  // prntip
    QString torol;         // "N" on automatic entries, empty on hand entries
    QString partner;       // ugyfel_nev
    QString comment;       // megjegyzes
};

// What the write gave the entry.
struct WrittenCashEntry {
    qint64 key = 0;        // cassa
    qint64 voucher = 0;    // bizszam
    double balance = 0;    // penzvan
};

// The balance of a desk after its latest entry (largest key); 0 for a desk
// without entries.
double DeskBalance(Database& db, qint64 desk);

// Writes the entry with the desk's next voucher number and the balance of
// its latest entry plus the entry's effect. Runs in a transaction of its own,
// or as a savepoint of the caller's open transaction (then the caller's
// commit makes it final, and a voucher-number conflict is thrown to the
// caller, whose transaction must start again). Throws DbError.
WrittenCashEntry WriteCashEntry(Database& db, const CashEntry& entry);

// Booking a document: the entry of a paid document (posting a paid-at-issue
// document with useGross set, the payment of one invoice with the amount it
// settles). The desk is the one its payment method names (0 when it names
// none, or when the payment method is missing). The money follows the sign
// of the amount: a positive amount is an income (type "B"), a negative one
// (a credit note, a cancelling document) an expense (type "V"); the stored
// amount is unsigned. The comment reads kind + number in five digits + ": "
// + customer ("S00042: Teszt"). Nothing is written (and nothing returned)
// for an amount of 0 or a document that does not exist. Throws DbError.
std::optional<WrittenCashEntry> BookDocument(Database& db, qint64 document, bool useGross, double amount,
                                             const QDate& today = QDate::currentDate());

// Booking a combined payment of a customer on the chosen desk: an income of
// the amount, with mozgas and mozgaz -1 and the customer's name as partner
// and comment.
WrittenCashEntry BookCombinedPayment(Database& db, qint64 desk, qint64 customer, double amount,
                                     const QDate& today = QDate::currentDate());

} // namespace orvix
