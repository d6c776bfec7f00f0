#include "invoicing/Payments.h"

#include "common/Database.h"
#include "core/Dialogs.h"
#include "core/Locale.h"
#include "core/TextUtil.h"
#include "invoicing/CashEntries.h"

#include <QSqlQuery>
#include <cmath>

namespace orvix {

namespace {

constexpr int kVoucherWidth = 25;
// A voucher-number conflict with another workstation rolls the payment back;
// it is tried again with fresh numbers this many times.
constexpr int kAttempts = 5;

QVariant isoDate(const QDate& d) { return d.toString(Qt::ISODate); }

template <typename F>
auto retried(F&& body) {
    for (int attempt = 1;; ++attempt) {
        try {
            return body();
        } catch (const DbError&) {
            if (attempt >= kAttempts)
                throw;
        }
    }
}

} // namespace

std::optional<PaymentView> ReadPayment(Database& db, qint64 document) {
    QSqlQuery q = db.select(QStringLiteral("SELECT storno, fizetve, dat_fizetve, bizonylat, brutto, penzfizetve "
                                           "FROM szla WHERE szla=?;"),
                            {document});
    if (!q.next())
        return std::nullopt;
    PaymentView v;
    v.document = document;
    v.storno = q.value(0).toString().trimmed() == QLatin1String("I");
    v.paid = q.value(1).toString().trimmed() == QLatin1String("I");
    v.paidOn = QDate::fromString(q.value(2).toString().left(10), Qt::ISODate);
    v.voucher = q.value(3).toString();
    v.gross = varFloat(q.value(4), 0);
    v.paidAmount = varFloat(q.value(5), 0);
    return v;
}

void FillMissingPaymentDate(Database& db, qint64 document, const QDate& today) {
    db.execSql(QStringLiteral("UPDATE szla SET dat_fizetve=? WHERE szla=? AND fizetve='I' AND "
                              "(dat_fizetve IS NULL OR dat_fizetve='');"),
               {isoDate(today), document});
}

bool PayDocument(Database& db, Dialogs& dialogs, qint64 document, const QDate& date, const QString& voucher) {
    if (!date.isValid()) {
        dialogs.error(QStringLiteral("Érvénytelen fizetési dátum."));
        return false;
    }
    if (voucher.size() > kVoucherWidth) {
        dialogs.error(QStringLiteral("A bizonylat hivatkozása legfeljebb %1 karakter lehet.").arg(kVoucherWidth));
        return false;
    }
    // A refusal found under the write lock is shown after the rollback.
    QString refusal;
    try {
        const bool paid = retried([&]() -> bool {
            Database::Transaction tr(db);
            const std::optional<PaymentView> v = ReadPayment(db, document);
            if (!v) {
                refusal = QStringLiteral("Nem létező bizonylat: %1").arg(document);
                return false;
            }
            if (v->storno) {
                refusal = kStornoNotPayable;
                return false;
            }
            if (v->paid) {
                refusal = QStringLiteral("A bizonylat már ki van fizetve.");
                return false;
            }
            // Rounding noise is no money: nothing is booked for it.
            const double outstanding = v->outstanding();
            if (std::fabs(outstanding) >= kPaymentTolerance)
                BookDocument(db, document, false, outstanding, date);
            db.execSql(QStringLiteral("UPDATE szla SET fizetve='I', dat_fizetve=?, penzfizetve=brutto, bizonylat=? "
                                      "WHERE szla=?;"),
                       {isoDate(date), voucher, document});
            tr.commit();
            return true;
        });
        if (!paid)
            dialogs.error(refusal);
        return paid;
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return false;
    }
}

double CustomerDebt(Database& db, qint64 customer) {
    return varFloat(db.queryValue(QStringLiteral("SELECT SUM(brutto-penzfizetve) AS hatralek FROM szla\n"
                                                 "WHERE (szla.storno='N') AND (szla.prntip NOT IN ('W','P')) AND\n"
                                                 " (szla.ugyfel=?);"),
                                  {customer}),
                    0);
}

std::optional<QString> CombinedAmountProblem(double amount, double debt) {
    if (amount > debt + kPaymentTolerance)
        return QStringLiteral("Túl nagy szám, legfeljebb %1 lehet.")
            .arg(formatFloat(QStringLiteral("### ### ##0.0"), debt));
    return std::nullopt;
}

CombinedPaymentResult PayCustomer(Database& db, Dialogs& dialogs, qint64 customer, double amount,
                                  std::optional<qint64> desk, const QDate& today) {
    if (!(amount >= kPaymentTolerance)) {
        dialogs.error(kAmountNotPositive);
        return {};
    }
    // A refusal found under the write lock is shown after the rollback.
    QString refusal;
    try {
        const CombinedPaymentResult outcome = retried([&]() -> CombinedPaymentResult {
            Database::Transaction tr(db);
            if (const auto problem = CombinedAmountProblem(amount, CustomerDebt(db, customer))) {
                refusal = *problem;
                return {};
            }
            CombinedPaymentResult result;
            if (desk)
                result.cashEntry = BookCombinedPayment(db, *desk, customer, amount, today).key;
            // A cancelled invoice is owed no more (its debt is not counted
            // either): the money goes to the live ones.
            QSqlQuery q = db.select(QStringLiteral("SELECT szla, brutto, penzfizetve FROM szla WHERE ugyfel=? AND "
                                                   "fizetve='N' AND prntip='S' AND storno='N' ORDER BY szla;"),
                                    {customer});
            struct Open { qint64 id; double outstanding; };
            std::vector<Open> open;
            while (q.next())
                open.push_back({q.value(0).toLongLong(), varFloat(q.value(1), 0) - varFloat(q.value(2), 0)});
            q.finish();
            double left = amount;
            for (const Open& o : open) {
                if (left >= o.outstanding - kPaymentTolerance) {
                    db.execSql(QStringLiteral("UPDATE szla SET penzfizetve=brutto, fizetve='I', dat_fizetve=? "
                                              "WHERE szla=?;"),
                               {isoDate(today), o.id});
                    ++result.paidInFull;
                    left -= o.outstanding;
                    if (left < kPaymentTolerance) {
                        left = 0;
                        break;
                    }
                } else {
                    db.execSql(QStringLiteral("UPDATE szla SET penzfizetve=COALESCE(penzfizetve,0)+? WHERE szla=?;"),
                               {left, o.id});
                    result.partlyPaid = o.id;
                    left = 0;
                    break;
                }
            }
            tr.commit();
            result.done = true;
            result.left = left;
            return result;
        });
        if (!outcome.done)
            dialogs.error(refusal);
        return outcome;
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return {};
    }
}

} // namespace orvix
