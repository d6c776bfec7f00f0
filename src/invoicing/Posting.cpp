#include "invoicing/Posting.h"

#include "common/Database.h"
#include "core/Dialogs.h"
#include "core/TextUtil.h"
#include "invoicing/CashEntries.h"
#include "invoicing/Editor.h"
#include "invoicing/RowWriter.h"
#include "invoicing/Zentra.h"

#include <QSqlQuery>

namespace orvix {

namespace {

const QString kUnknownDocument = QStringLiteral("Nem létező bizonylat: %1");

struct PostedHeader {
    QString kind;
    QString fizetve;
};

// The posting's writes; runs inside the caller's transaction. Returns the
// header as read, or nothing after the refusal's message.
std::optional<PostedHeader> postInTransaction(Database& db, Dialogs& dialogs, const CurrentUser& user,
                                              qint64 id, const QDate& today, PostResult& result) {
    QVariantMap h;
    {
        QSqlQuery q = db.select(
            QStringLiteral("SELECT konyvelve, prntip, fizetve, tkata, fa FROM szla WHERE szla=?;"), {id});
        if (!q.next()) {
            dialogs.error(kUnknownDocument.arg(id));
            return std::nullopt;
        }
        h = RowMap(q);
    }
    const auto flag = [&](const char* name) { return varText(h.value(QLatin1String(name))).trimmed(); };
    // Checked under the write lock: two workstations cannot both post it.
    if (flag("konyvelve") == QLatin1String("I")) {
        dialogs.error(kAlreadyPostedMessage);
        return std::nullopt;
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
    if (lines == 0) {
        dialogs.error(kNoLinesMessage);
        return std::nullopt;
    }
    PostedHeader header{flag("prntip"), flag("fizetve")};
    const bool paid = header.fizetve == QLatin1String("I");
    // NETA: every product of the document is a NETA product.
    const bool allNeta = products > 0 && netaProducts == products;
    // The exemption reference: a line at 0 % on a document that is neither a
    // small taxpayer's nor reverse-charge.
    const bool exempt = lowest.isValid() && !lowest.isNull() && lowest.toDouble() == 0 &&
                        flag("tkata") == QLatin1String("N") && flag("fa") == QLatin1String("N");
    // Frozen, the paid amount settled from the paid flag, the poster and
    // the two tax flags.
    db.execSql(QStringLiteral("UPDATE szla SET konyvelve='I', penzfizetve=(CASE WHEN ?=1 THEN brutto ELSE 0 END), "
                              "dat_fizetve=?, felhasznalo=?, adoment_hiv=?, "
                              "neta=(CASE WHEN ?=1 THEN 'I' ELSE neta END) WHERE szla=?;"),
               {paid ? 1 : 0, paid ? QVariant(today.toString(Qt::ISODate)) : QVariant(), user.name,
                exempt ? QStringLiteral("I") : QStringLiteral("N"), allNeta ? 1 : 0, id});

    // An advance settled by this document is used up: its product is no
    // longer offered.
    if (advanceLines > 0 && header.kind != QString(kKindAdvance))
        db.execSql(QStringLiteral("UPDATE cikkszam SET torolve='I' WHERE cikkszam IN (SELECT cikkszam FROM "
                                  "szla_sor WHERE szla=? AND tipus='E' AND cikkszam IS NOT NULL);"),
                   {id});

    if (paid)
        if (const auto entry = BookDocument(db, id, true, 0, today))
            result.cashEntry = entry->key;
    return header;
}

} // namespace

PostResult PostDocument(Database& db, Dialogs& dialogs, const Settings& settings, const CurrentUser& user,
                        qint64 document, const QDate& today) {
    PostResult result;
    std::optional<PostedHeader> header;
    try {
        Database::Transaction tr(db);
        header = postInTransaction(db, dialogs, user, document, today, result);
        if (!header)
            return PostResult{};
        tr.commit();
    } catch (const DbError& e) {
        dialogs.error(e.text());
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
    try {
        Database::Transaction tr(db);
        QSqlQuery q = db.select(QStringLiteral("SELECT storno, konyvelve, prntip FROM szla WHERE szla=?;"), {document});
        if (!q.next()) {
            dialogs.error(kUnknownDocument.arg(document));
            return std::nullopt;
        }
        const QString storno = q.value(0).toString().trimmed();
        const QString posted = q.value(1).toString().trimmed();
        const QString kind = q.value(2).toString().trimmed();
        q.finish();
        if (storno == QLatin1String("I")) {
            dialogs.error(kAlreadyCancelledStornoMessage);
            return std::nullopt;
        }
        if (posted != QLatin1String("I")) {
            dialogs.error(kNotPostedYetMessage);
            return std::nullopt;
        }
        qint64 cancelling = -1;
        if (kind == QString(kKindProforma))
            db.execSql(QStringLiteral("UPDATE szla SET storno='I', konyvelve='I' WHERE szla=?;"), {document});
        else
            // The copy marks its source cancelled in the same transaction
            // (an advance invoice too, so that it cannot be cancelled twice).
            cancelling = CopyAsCounterDocument(db, settings, user, document, kKindCancelling, today);
        tr.commit();
        return cancelling;
    } catch (const DocumentError& e) {
        dialogs.error(e.text());
    } catch (const DbError& e) {
        dialogs.error(e.text());
    }
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
