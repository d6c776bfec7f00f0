#include "invoicing/CashEntries.h"

#include "common/Database.h"
#include "core/TextUtil.h"
#include "invoicing/RowWriter.h"

#include <QSqlQuery>
#include <QVariantMap>
#include <cmath>

namespace orvix {

namespace {

const QString kVoucherIndex = QStringLiteral("idx_cassa_bizszam");
constexpr int kAttempts = 5;

// Another writer took the voucher number (only where the engine does not
// serialise writers as SQLite does), or the folder stayed locked beyond the
// busy timeout.
bool isRetryable(const DbError& e) {
    return e.text().contains(kVoucherIndex, Qt::CaseInsensitive) ||
           e.text().contains(QStringLiteral("cassa.cassak, cassa.bizszam"), Qt::CaseInsensitive) ||
           e.text().contains(QStringLiteral("database is locked"), Qt::CaseInsensitive);
}

QVariant optionalKey(const std::optional<qint64>& v) {
    return v ? QVariant(*v) : QVariant();
}

WrittenCashEntry writeOnce(Database& db, const CashEntry& entry) {
    Database::Transaction tr(db);
    WrittenCashEntry written;
    written.balance = DeskBalance(db, entry.desk) + entry.effect;
    written.voucher =
        db.queryInt(QStringLiteral("SELECT MAX(bizszam) FROM cassa WHERE cassak=?;"), 0, {entry.desk}) + 1;
    QVariantMap row;
    row[QStringLiteral("cassak")] = entry.desk;
    row[QStringLiteral("bizszam")] = written.voucher;
    row[QStringLiteral("datum")] = entry.date;
    row[QStringLiteral("cassatip")] = entry.type;
    row[QStringLiteral("osszeg")] = entry.amount;
    row[QStringLiteral("penzvan")] = written.balance;
    row[QStringLiteral("mozgas")] = optionalKey(entry.document);
    row[QStringLiteral("mozgaz")] = optionalKey(entry.documentNumber);
    row[QStringLiteral("prntip")] = entry.documentKind.isEmpty() ? QVariant() : QVariant(entry.documentKind);
    row[QStringLiteral("torol")] = entry.torol.isEmpty() ? QVariant() : QVariant(entry.torol);
    row[QStringLiteral("ugyfel_nev")] = entry.partner.left(50);
    row[QStringLiteral("megjegyzes")] = entry.comment.left(50);
    InsertRow(db, QStringLiteral("cassa"), row);
    // Under the write lock the highest key is the one just given.
    written.key = db.queryInt(QStringLiteral("SELECT MAX(cassa) FROM cassa;"), 0);
    tr.commit();
    return written;
}

} // namespace

double DeskBalance(Database& db, qint64 desk) {
    return db.queryFloat(QStringLiteral("SELECT penzvan FROM cassa WHERE cassa=(SELECT MAX(cassa) FROM cassa "
                                        "WHERE cassak=?);"),
                         0, {desk});
}

WrittenCashEntry WriteCashEntry(Database& db, const CashEntry& entry) {
    if (!std::isfinite(entry.amount) || !std::isfinite(entry.effect))
        throw DbError(QStringLiteral("A pénztári tétel összege nem szám."));
    // Inside the caller's transaction the write lock is held already: a
    // conflict there means the caller's whole transaction must start again.
    if (db.inTransaction())
        return writeOnce(db, entry);
    for (int attempt = 1;; ++attempt) {
        try {
            return writeOnce(db, entry);
        } catch (const DbError& e) {
            if (attempt >= kAttempts || !isRetryable(e))
                throw;
        }
    }
}

std::optional<WrittenCashEntry> BookDocument(Database& db, qint64 document, bool useGross, double amount,
                                             const QDate& today) {
    QSqlQuery q = db.select(QStringLiteral("SELECT szla.szla, szla.ugyfel_nev, szla.fiztip, szla.szlaszam, "
                                           "fiztip.cassak, szla.prntip, szla.brutto FROM szla LEFT JOIN fiztip "
                                           "ON (szla.fiztip=fiztip.fiztip) WHERE szla.szla=?;"),
                            {document});
    if (!q.next())
        return std::nullopt;
    const QString customer = q.value(1).toString().trimmed();
    const qint64 number = q.value(3).toLongLong();
    const qint64 desk = q.value(4).isNull() ? 0 : q.value(4).toLongLong();
    const QString kind = q.value(5).toString().trimmed();
    const double value = useGross ? q.value(6).toDouble() : amount;
    q.finish();
    if (value == 0)
        return std::nullopt;
    CashEntry e;
    e.desk = desk;
    e.date = today;
    // The cash moves the way the document's money does: a negated document
    // (credit note, cancelling document) pays the amount out.
    e.type = value > 0 ? kCashIncomeType : kCashExpenseType;
    e.amount = std::fabs(value);
    e.effect = value;
    e.document = document;
    e.documentNumber = number;
    e.documentKind = kind;
    e.torol = QStringLiteral("N");
    e.partner = customer;
    e.comment = kind + zeroPad(number, 5) + QStringLiteral(": ") + customer;
    return WriteCashEntry(db, e);
}

WrittenCashEntry BookCombinedPayment(Database& db, qint64 desk, qint64 customer, double amount,
                                     const QDate& today) {
    const QString name =
        db.queryText(QStringLiteral("SELECT ugyfel_nev FROM ugyfel WHERE ugyfel=?;"), QString(), {customer})
            .trimmed();
    CashEntry e;
    e.desk = desk;
    e.date = today;
    e.type = amount >= 0 ? kCashIncomeType : kCashExpenseType;
    e.amount = std::fabs(amount);
    e.effect = amount;
    e.document = -1;
    e.documentNumber = -1;
    e.torol = QStringLiteral("N");
    e.partner = name;
    e.comment = name;
    return WriteCashEntry(db, e);
}

} // namespace orvix
