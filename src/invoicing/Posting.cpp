#include "invoicing/Posting.h"

#include "common/Database.h"
#include "core/Dialogs.h"
#include "core/TextUtil.h"
#include "invoicing/CashEntries.h"
#include "invoicing/Editor.h"
#include "invoicing/Payments.h"
#include "invoicing/RowWriter.h"
#include "invoicing/Zentra.h"

#include <QSqlQuery>
#include <algorithm>
#include <cmath>
#include <variant>

namespace orvix {

namespace {

const QString kUnknownDocument = QStringLiteral("Nem létező bizonylat: %1");

struct PostedHeader {
    QString kind;
    QString fizetve;
};

// What the payments took in for a document before it was posted: its paid
// amount, counted only in the gross's own direction and at most the gross
// (a counter document carries its source's paid amount from the copy).
double receivedBeforePosting(double gross, double paid) {
    return gross >= 0 ? std::clamp(paid, 0.0, gross) : std::clamp(paid, gross, 0.0);
}

// The posting's writes; runs inside the caller's transaction. Returns the
// header as read, or the refusal's message, which the caller shows once the
// transaction is left (no message box holds the write lock).
std::variant<PostedHeader, QString> postInTransaction(Database& db, const CurrentUser& user, qint64 id,
                                                      const QDate& today, PostResult& result) {
    QVariantMap h;
    {
        QSqlQuery q = db.select(QStringLiteral("SELECT konyvelve, prntip, fizetve, tkata, fa, brutto, penzfizetve, "
                                               "dat_fizetve, eredeti FROM szla WHERE szla=?;"),
                                {id});
        if (!q.next())
            return kUnknownDocument.arg(id);
        h = RowMap(q);
    }
    const auto flag = [&](const char* name) { return varText(h.value(QLatin1String(name))).trimmed(); };
    // Checked under the write lock: two workstations cannot both post it.
    if (flag("konyvelve") == QLatin1String("I"))
        return kAlreadyPostedMessage;
    // A credit note of an invoice cancelled meanwhile would reverse it twice.
    if (flag("prntip") == QString(kKindCreditNote)) {
        const qint64 source = varInt(h.value(QStringLiteral("eredeti")), -1);
        if (source > 0 && db.queryText(QStringLiteral("SELECT storno FROM szla WHERE szla=?;"), QString(), {source})
                                  .trimmed() == QLatin1String("I"))
            return kSourceCancelledMessage;
    }
    // What the lines decide, in one reading: their number, the lowest rate,
    // the advance lines, and how many carry a product and how many of those
    // are NETA products (lines without a product do not count).
    qint64 lines = 0, advanceLines = 0, products = 0, netaProducts = 0;
    QVariant lowest;
    {
        QSqlQuery q = db.select(QStringLiteral(
                                    "SELECT COUNT(*), MIN(l.afakulcs), SUM(CASE WHEN l.tipus='E' THEN 1 ELSE 0 END), "
                                    "COUNT(c.cikkszam), SUM(CASE WHEN c.neta='I' THEN 1 ELSE 0 END) FROM szla_sor l "
                                    "LEFT JOIN cikkszam c ON (l.cikkszam = c.cikkszam) WHERE l.szla=?;"),
                                {id});
        if (q.next()) {
            lines = q.value(0).toLongLong();
            lowest = q.value(1);
            advanceLines = q.value(2).toLongLong();
            products = q.value(3).toLongLong();
            netaProducts = q.value(4).toLongLong();
        }
    }
    if (lines == 0)
        return kNoLinesMessage;
    PostedHeader header{flag("prntip"), flag("fizetve")};
    const bool paid = header.fizetve == QLatin1String("I");
    // NETA: every product of the document is a NETA product.
    const bool allNeta = products > 0 && netaProducts == products;
    // The exemption reference: a line at 0 % on a document that is neither a
    // small taxpayer's nor reverse-charge.
    const bool exempt = lowest.isValid() && !lowest.isNull() && lowest.toDouble() == 0 &&
                        flag("tkata") == QLatin1String("N") && flag("fa") == QLatin1String("N");
    // A document may be paid before it is posted: what the payments took in
    // is in the cash book already and stays the document's paid amount. A
    // paid document books only the rest of its gross; one paid in full
    // before keeps its payment date.
    const double gross = varFloat(h.value(QStringLiteral("brutto")), 0);
    const double received = receivedBeforePosting(gross, varFloat(h.value(QStringLiteral("penzfizetve")), 0));
    const double toBook = paid ? gross - received : 0;
    const QVariant earlierDate = h.value(QStringLiteral("dat_fizetve"));
    const bool paidBefore = paid && std::fabs(toBook) < kPaymentTolerance && !varText(earlierDate).isEmpty();
    QVariant paidOn;
    if (paid)
        paidOn = paidBefore ? earlierDate : QVariant(today.toString(Qt::ISODate));
    // Frozen, the paid amount settled, the poster and the two tax flags.
    db.execSql(QStringLiteral("UPDATE szla SET konyvelve='I', penzfizetve=(CASE WHEN ?=1 THEN brutto ELSE ? END), "
                              "dat_fizetve=?, felhasznalo=?, adoment_hiv=?, "
                              "neta=(CASE WHEN ?=1 THEN 'I' ELSE neta END) WHERE szla=?;"),
               {paid ? 1 : 0, received, paidOn, user.name, exempt ? QStringLiteral("I") : QStringLiteral("N"),
                allNeta ? 1 : 0, id});

    // An advance settled by this document is used up: its product is no
    // longer offered.
    if (advanceLines > 0 && header.kind != QString(kKindAdvance))
        db.execSql(QStringLiteral("UPDATE cikkszam SET torolve='I' WHERE cikkszam IN (SELECT cikkszam FROM "
                                  "szla_sor WHERE szla=? AND tipus='E' AND cikkszam IS NOT NULL);"),
                   {id});

    if (std::fabs(toBook) >= kPaymentTolerance)
        if (const auto entry = BookDocument(db, id, false, toBook, today))
            result.cashEntry = entry->key;
    return header;
}

} // namespace

PostResult PostDocument(Database& db, Dialogs& dialogs, const Settings& settings, const CurrentUser& user,
                        qint64 document, const QDate& today) {
    PostResult result;
    std::optional<PostedHeader> header;
    QString refusal;
    try {
        Database::Transaction tr(db);
        auto outcome = postInTransaction(db, user, document, today, result);
        if (const QString* text = std::get_if<QString>(&outcome)) {
            refusal = *text;
        } else {
            header = std::get<PostedHeader>(std::move(outcome));
            tr.commit();
        }
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return PostResult{};
    }
    // The transaction is rolled back by now: the message holds no lock.
    if (!header) {
        dialogs.error(refusal);
        return PostResult{};
    }
    result.posted = true;
    if (settings.vanzentra && IsZentraKind(header->kind)) {
        try {
            result.zentraKey = FeedZentra(db, settings, document, settings.evautvonal);
        } catch (const ZentraError& e) {
            dialogs.error(kZentraFailedMessage + QLatin1Char('\n') + e.text());
        } catch (const DbError& e) {
            dialogs.error(kZentraFailedMessage + QLatin1Char('\n') + e.text());
        }
    }
    return result;
}

PostResult PostAction(Database& db, Dialogs& dialogs, const Settings& settings, const CurrentUser& user,
                      qint64 document, const QDate& today) {
    try {
        QSqlQuery q = db.select(QStringLiteral("SELECT arfolyam, vat, prntip, eredetistr FROM szla WHERE szla=?;"),
                                {document});
        if (!q.next()) {
            dialogs.error(kUnknownDocument.arg(document));
            return {};
        }
        const QString kind = q.value(2).toString().trimmed();
        const auto problem = PostingHeaderProblem(varFloat(q.value(0), 0), q.value(1).toString(),
                                                  kind.isEmpty() ? QChar() : kind.at(0), q.value(3).toString());
        q.finish();
        if (problem) {
            dialogs.error(*problem);
            return {};
        }
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return {};
    }
    return PostDocument(db, dialogs, settings, user, document, today);
}

std::optional<qint64> CancelDocument(Database& db, Dialogs& dialogs, const Settings& settings,
                                     const CurrentUser& user, qint64 document, const QDate& today) {
    if (!dialogs.question(kCaptionConfirm, kCancelQuestion))
        return std::nullopt;
    QString refusal;
    try {
        Database::Transaction tr(db);
        const auto cancelled = [&]() -> std::optional<qint64> {
            QSqlQuery q =
                db.select(QStringLiteral("SELECT storno, konyvelve, prntip FROM szla WHERE szla=?;"), {document});
            if (!q.next()) {
                refusal = kUnknownDocument.arg(document);
                return std::nullopt;
            }
            const QString storno = q.value(0).toString().trimmed();
            const QString posted = q.value(1).toString().trimmed();
            const QString kind = q.value(2).toString().trimmed();
            q.finish();
            if (storno == QLatin1String("I")) {
                refusal = kAlreadyCancelledStornoMessage;
                return std::nullopt;
            }
            if (posted != QLatin1String("I")) {
                refusal = kNotPostedYetMessage;
                return std::nullopt;
            }
            // A posted credit note has reversed the invoice already (in part
            // or in full); it is cancelled first.
            if (db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE eredeti=? AND prntip=? AND "
                                           "konyvelve='I' AND storno='N';"),
                            0, {document, QString(kKindCreditNote)}) > 0) {
                refusal = kHasCreditNoteMessage;
                return std::nullopt;
            }
            if (kind == QString(kKindProforma)) {
                db.execSql(QStringLiteral("UPDATE szla SET storno='I', konyvelve='I' WHERE szla=?;"), {document});
                return qint64(-1);
            }
            // The copy marks its source cancelled in the same transaction, an
            // advance invoice too: a cancelled advance invoice is no longer
            // payable nor part of the customer's debt.
            return CopyAsCounterDocument(db, settings, user, document, kKindCancelling, today);
        }();
        if (cancelled) {
            tr.commit();
            return cancelled;
        }
    } catch (const DocumentError& e) {
        dialogs.error(e.text());
        return std::nullopt;
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return std::nullopt;
    }
    // Shown after the transaction is rolled back.
    dialogs.error(refusal);
    return std::nullopt;
}

std::optional<CreditNoteStart> StartCreditNote(Database& db, Dialogs& dialogs, CreditNoteUi& ui,
                                               const Settings& settings, const CurrentUser& user,
                                               CreditNoteContext context, qint64 current, const QDate& today) {
    CreditNoteStart start;
    try {
        switch (context) {
        case CreditNoteContext::Products:
            if (const auto chosen = ui.chooseCustomer())
                start.customer = *chosen;
            break;
        case CreditNoteContext::Customers:
            start.customer = current;
            break;
        case CreditNoteContext::Documents: {
            const QString kind =
                db.queryText(QStringLiteral("SELECT prntip FROM szla WHERE szla=?;"), QString(), {current}).trimmed();
            if (current > 0 && kind == QString(kKindInvoice) &&
                dialogs.question(kCaptionQuestion, kCreditFromInvoiceQuestion)) {
                // A cancelled invoice has been reversed already.
                if (db.queryText(QStringLiteral("SELECT storno FROM szla WHERE szla=?;"), QString(), {current})
                        .trimmed() == QLatin1String("I")) {
                    dialogs.error(kAlreadyCancelledStornoMessage);
                    return std::nullopt;
                }
                start.customer =
                    db.queryInt(QStringLiteral("SELECT ugyfel FROM szla WHERE szla=?;"), -1, {current});
                start.copy = CopyAsCounterDocument(db, settings, user, current, kKindCreditNote, today);
            } else if (const auto chosen = ui.chooseCustomer()) {
                start.customer = *chosen;
            }
            break;
        }
        }
    } catch (const DocumentError& e) {
        dialogs.error(e.text());
        return std::nullopt;
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return std::nullopt;
    }
    if (start.customer <= 0 && start.copy < 0)
        return std::nullopt;
    const std::optional<bool> reverse = ChooseReverseCharge(settings, ui);
    if (!reverse)
        return std::nullopt;
    start.reverseCharge = *reverse;
    return start;
}

int PostAllUnposted(Database& db, Dialogs& dialogs, const Settings& settings, const CurrentUser& user,
                    const std::function<void(qint64)>& print, const QDate& today) {
    std::vector<qint64> keys;
    try {
        QSqlQuery q = db.select(QStringLiteral("SELECT szla FROM szla WHERE konyvelve='N' ORDER BY szla;"));
        while (q.next())
            keys.push_back(q.value(0).toLongLong());
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return 0;
    }
    int posted = 0;
    for (const qint64 key : keys) {
        if (!PostDocument(db, dialogs, settings, user, key, today).posted)
            continue;
        ++posted;
        if (print)
            print(key);
    }
    return posted;
}

} // namespace orvix
