// The cash book ("Kassza") of one desk and one period: its entries with
// their running balances and voucher numbers, the hand entry of a receipt or
// a payment, and the change of an entry's comment.
//
// Entries are written through the one cash-entry write of the invoicing
// subsystem (WriteCashEntry), which gives them their balance and voucher
// number under the write lock.
#pragma once

#include "invoicing/CashEntries.h"
#include "masters/CodeTables.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <vector>

namespace orvix {

class Database;
class Dialogs;
struct CurrentUser;

inline const QString kCashAmountCaption = QStringLiteral("Összeg megadás");
inline const QString kCashAmountPrompt = QStringLiteral("Add meg az összeget!");
inline const QString kCashPartnerPrompt = QStringLiteral("Kinek történik a kifizetés/bevételezés?");
inline const QString kCashCommentCaption = QStringLiteral("Megjegyzés");
inline const QString kCashCommentPrompt = QStringLiteral("Add meg a megjegyzést");

// One line of the cash book.
struct CashBookRow {
    qint64 cassa = 0;
    qint64 desk = 0;
    qint64 voucher = 0;   // bizszam
    QDate date;
    QString typeName;     // cassatip_nev
    double amount = 0;    // osszeg as stored
    double balance = 0;   // zaro (penzvan)
    QVariant document;    // mozgas
    QVariant documentNumber; // mozgaz
    QString kind;         // prntip
    QString kindName;     // prntip_nev
    QString partner;      // ugyfel_nev
    QString comment;      // megjegyzes
};

// The entries of a desk dated within the period (both ends included), in
// the order they were written.
std::vector<CashBookRow> CashBookRows(Database& db, qint64 desk, const QDate& from, const QDate& to);

// "Alap kassza (HUF)"; the desk number alone when the desk does not exist.
QString DeskCaption(Database& db, qint64 desk);
// "2026.12.01 - 2026.12.31".
QString PeriodCaption(const QDate& from, const QDate& to);
// The document number as the list shows it: five digits, empty for none
// (hand entries) and for a combined payment (-1).
QString DocumentNumberText(const QVariant& number);

// The movement type of a hand entry; the cash-book window answers with the
// movement-type window in choose mode.
class CashTypeChooser {
public:
    virtual ~CashTypeChooser() = default;
    virtual std::optional<CashMovementTypeChoice> chooseCashType() = 0;
};

// "Új sor": the administrator right, the movement type, then the amount and
// the partner ("Összeg megadás"); the entry is written with the signed
// amount (direction × amount). Nothing when refused (after the message) or
// cancelled.
std::optional<WrittenCashEntry> AddHandEntry(Database& db, Dialogs& dialogs, CashTypeChooser& chooser,
                                             const CurrentUser& user, qint64 desk,
                                             const QDate& today = QDate::currentDate());

// "Megjegyzés": the entry's comment edited. True when it was stored.
bool ChangeEntryComment(Database& db, Dialogs& dialogs, qint64 entry);

// The list as ";"-separated text lines, a header line first: voucher, date,
// type, document number, document kind, amount, balance, partner, comment.
QStringList CashBookLines(const std::vector<CashBookRow>& rows);

} // namespace orvix
