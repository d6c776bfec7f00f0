// Posting ("Könyvel"), cancelling ("Törlés" of a posted document) and the
// start of a credit note ("Jóváíró számla").
//
// Posting makes a document final: its paid amount settled from its payment
// method, the poster recorded, the NETA and tax-exemption flags derived from
// its lines, consumed advance products marked, and a paid-at-issue document
// booked into the cash book. All of that is one write transaction: a failure
// or a killed process leaves the document either fully posted or untouched.
// The Zentra program is fed after the commit; its failure is shown and does
// not undo the posting.
//
// Cancelling marks a posted document cancelled and, except for proformas,
// makes its cancelling document (kind W) in the same transaction.
#pragma once

#include "core/AppContext.h"
#include "core/Settings.h"
#include "invoicing/Documents.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

namespace orvix {

class Database;
class Dialogs;

inline const QString kAlreadyPostedMessage = QStringLiteral("A bizonylat már könyvelve lett.");
inline const QString kAlreadyCancelledStornoMessage = QStringLiteral("A bizonylat már sztornózva lett!");
inline const QString kNotPostedYetMessage = QStringLiteral("A bizonylat még nem lett könyvelve!");
// An invoice is reversed once: either by a credit note or by cancelling.
inline const QString kHasCreditNoteMessage =
    QStringLiteral("A számlához könyvelt jóváíró számla tartozik, előbb azt kell sztornózni.");
inline const QString kSourceCancelledMessage =
    QStringLiteral("A jóváírt számla sztornózva lett, a jóváíró számla nem könyvelhető.");
inline const QString kCancelQuestion = QStringLiteral("Valóban töröljem a sort?");
inline const QString kCreditFromInvoiceQuestion =
    QStringLiteral("A jelenlegi számlából készíted a jóváírást?");

// What the posting of one document did.
struct PostResult {
    bool posted = false;
    qint64 cashEntry = -1;   // the cash entry written, -1 when none
    qint64 zentraKey = -1;   // the Zentra row written, -1 when none
};

// PostDocument: refuses (after the message) a posted document and one
// without lines; otherwise posts it as one transaction, then feeds the
// Zentra program when the setting vanzentra is on and the kind is J, M, S or
// W. The document's own failures (unknown document, engine error) are shown
// as messages too; nothing is thrown.
PostResult PostDocument(Database& db, Dialogs& dialogs, const Settings& settings, const CurrentUser& user,
                        qint64 document, const QDate& today = QDate::currentDate());

// The register's and the editor's "Könyvel": the header checks (exchange
// rate, currency, reference of a non-invoice) on the stored document, then
// PostDocument.
PostResult PostAction(Database& db, Dialogs& dialogs, const Settings& settings, const CurrentUser& user,
                      qint64 document, const QDate& today = QDate::currentDate());

// Cancelling a posted document: after "Valóban töröljem a sort?" the checks
// (cancelled already, not posted), then the storno mark and, except for a
// proforma, the cancelling document of kind W in one transaction. The key
// of the cancelling document when one was made; -1 when only the mark was
// set; nothing when refused or declined (after the message).
std::optional<qint64> CancelDocument(Database& db, Dialogs& dialogs, const Settings& settings,
                                     const CurrentUser& user, qint64 document,
                                     const QDate& today = QDate::currentDate());

// ---- Credit notes ---------------------------------------------------------------

// Where "Jóváíró számla" was started.
enum class CreditNoteContext { Products, Customers, Documents };

class CreditNoteUi : public ReverseChargeChooser {
public:
    // The customer chooser; nothing when cancelled.
    virtual std::optional<qint64> chooseCustomer() = 0;
};

struct CreditNoteStart {
    qint64 customer = -1;
    qint64 copy = -1;          // the credit note made from the invoice, -1 for a new empty one
    bool reverseCharge = false;
};

// The credit-note flow up to the editor: the customer (the chooser on the
// products tab, the current customer on the customers tab, on the documents
// tab for an invoice the question whether to make it from the invoice, which
// then makes the copy at once), then the reverse-charge choice. Nothing when
// no customer was chosen or the choice was cancelled (a copy already made
// stays, unposted); current is the customer or the document the tab stands
// on (-1: none).
std::optional<CreditNoteStart> StartCreditNote(Database& db, Dialogs& dialogs, CreditNoteUi& ui,
                                               const Settings& settings, const CurrentUser& user,
                                               CreditNoteContext context, qint64 current,
                                               const QDate& today = QDate::currentDate());

// "Összes könyveletlen könyvel, és nyomtat": every unposted document in key
// order posted (without the header checks) and, when posted, handed to
// print. Returns the number of documents posted.
int PostAllUnposted(Database& db, Dialogs& dialogs, const Settings& settings, const CurrentUser& user,
                    const std::function<void(qint64)>& print, const QDate& today = QDate::currentDate());

} // namespace orvix
