#include "cash/CashBook.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Dialogs.h"
#include "core/Locale.h"
#include "core/Rights.h"
#include "core/TextUtil.h"
#include "invoicing/Documents.h"

#include <QSqlQuery>
#include <cmath>

namespace orvix {

namespace {

QString plainAmount(double v) {
    // Whole forints without decimals, anything else with what it has.
    if (v == std::floor(v) && std::fabs(v) < 1e15)
        return QString::number(qint64(v));
    return QString::number(v, 'f', 2);
}

QString csvField(QString text) {
    // The separator never appears inside a value.
    return text.replace(QLatin1Char(';'), QLatin1Char(',')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

} // namespace

std::vector<CashBookRow> CashBookRows(Database& db, qint64 desk, const QDate& from, const QDate& to) {
    QSqlQuery q = db.select(
        QStringLiteral("SELECT cassa.cassa, cassa.cassak, cassa.bizszam, cassa.datum, cassatip.cassatip_nev, "
                       "cassa.osszeg, cassa.penzvan AS zaro, cassa.mozgas, cassa.mozgaz, cassa.prntip, "
                       "prntip.prntip_nev, cassa.ugyfel_nev, cassa.megjegyzes "
                       "FROM cassa LEFT JOIN cassatip ON (cassa.cassatip=cassatip.cassatip) "
                       "LEFT JOIN cassak ON (cassa.cassak=cassak.cassak) "
                       "LEFT JOIN prntip ON (cassa.prntip=prntip.prntip) "
                       "WHERE cassa.cassak=? AND cassa.datum BETWEEN ? AND ? ORDER BY cassa.cassa;"),
        {desk, from.toString(Qt::ISODate), to.toString(Qt::ISODate)});
    std::vector<CashBookRow> rows;
    while (q.next()) {
        CashBookRow r;
        r.cassa = q.value(0).toLongLong();
        r.desk = q.value(1).toLongLong();
        r.voucher = q.value(2).toLongLong();
        r.date = QDate::fromString(q.value(3).toString().left(10), Qt::ISODate);
        r.typeName = q.value(4).toString().trimmed();
        r.amount = q.value(5).toDouble();
        r.balance = q.value(6).toDouble();
        r.document = q.value(7);
        r.documentNumber = q.value(8);
        r.kind = q.value(9).toString().trimmed();
        r.kindName = q.value(10).toString().trimmed();
        r.partner = q.value(11).toString().trimmed();
        r.comment = q.value(12).toString().trimmed();
        rows.push_back(r);
    }
    return rows;
}

QString DeskCaption(Database& db, qint64 desk) {
    QSqlQuery q = db.select(QStringLiteral("SELECT cassak_nev, vat FROM cassak WHERE cassak=?;"), {desk});
    if (!q.next())
        return QString::number(desk);
    return q.value(0).toString().trimmed() + QStringLiteral(" (") + q.value(1).toString().trimmed() +
           QStringLiteral(")");
}

QString PeriodCaption(const QDate& from, const QDate& to) {
    return from.toString(QStringLiteral("yyyy.MM.dd")) + QStringLiteral(" - ") +
           to.toString(QStringLiteral("yyyy.MM.dd"));
}

QString DocumentNumberText(const QVariant& number) {
    if (!number.isValid() || number.isNull() || number.toString().trimmed().isEmpty())
        return {};
    const qint64 n = number.toLongLong();
    return n < 0 ? QString() : zeroPad(n, 5);
}

std::optional<WrittenCashEntry> AddHandEntry(Database& db, Dialogs& dialogs, CashTypeChooser& chooser,
                                             const CurrentUser& user, qint64 desk, const QDate& today) {
    if (!checkRight(user, Right::Administrator, dialogs))
        return std::nullopt;
    const std::optional<CashMovementTypeChoice> type = chooser.chooseCashType();
    if (!type || type->code.trimmed().isEmpty())
        return std::nullopt;
    NumberAndText initial;
    std::optional<NumberAndText> input;
    for (;;) {
        input = dialogs.inputNumberText(kCashAmountCaption, kCashAmountPrompt, kCashPartnerPrompt, initial);
        if (!input)
            return std::nullopt;
        QString problem;
        if (!std::isfinite(input->number) || input->number <= 0)
            problem = QStringLiteral("Az összeg pozitív szám legyen; az irányt a kassza típusa adja.");
        else if (input->number > kMaxDocumentAmount)
            problem = QStringLiteral("Az összeg legfeljebb 1 000 000 000 000 lehet.");
        else if (const auto tooLong = TextWidthProblem(QStringLiteral("cassa"), QStringLiteral("ugyfel_nev"),
                                                       input->text1.trimmed(), kCashPartnerPrompt))
            problem = *tooLong;
        if (problem.isEmpty())
            break;
        dialogs.error(problem);
        initial = *input;
    }
    const int szorzo = type->szorzo < 0 ? -1 : 1;
    CashEntry e;
    e.desk = desk;
    e.date = today;
    e.type = type->code.trimmed();
    e.amount = szorzo * input->number;
    e.effect = e.amount;
    e.partner = input->text1.trimmed();
    e.comment = e.partner;
    try {
        return WriteCashEntry(db, e);
    } catch (const DbError& err) {
        dialogs.error(err.text());
    }
    return std::nullopt;
}

bool ChangeEntryComment(Database& db, Dialogs& dialogs, qint64 entry) {
    try {
        const QVariant current = db.queryValue(QStringLiteral("SELECT megjegyzes FROM cassa WHERE cassa=?;"), {entry});
        if (!current.isValid())
            return false;
        QString initial = current.toString().trimmed();
        for (;;) {
            const std::optional<QString> text = dialogs.inputText(kCashCommentCaption, kCashCommentPrompt, initial);
            if (!text)
                return false;
            if (const auto problem =
                    TextWidthProblem(QStringLiteral("cassa"), QStringLiteral("megjegyzes"), *text, kCashCommentCaption)) {
                dialogs.error(*problem);
                initial = *text;
                continue;
            }
            db.execSql(QStringLiteral("UPDATE cassa SET megjegyzes=? WHERE cassa=?;"), {*text, entry});
            return true;
        }
    } catch (const DbError& e) {
        dialogs.error(e.text());
    }
    return false;
}

QStringList CashBookLines(const std::vector<CashBookRow>& rows) {
    QStringList lines{QStringLiteral("bizszam;datum;tipus;mozgas_szla;mozg_tipus;osszeg;zaro;ugyfel;megjegyzes")};
    for (const CashBookRow& r : rows)
        lines << QStringList{QString::number(r.voucher),
                             r.date.toString(Qt::ISODate),
                             csvField(r.typeName),
                             DocumentNumberText(r.documentNumber),
                             csvField(r.kindName),
                             plainAmount(r.amount),
                             plainAmount(r.balance),
                             csvField(r.partner),
                             csvField(r.comment)}
                     .join(QLatin1Char(';'));
    return lines;
}

} // namespace orvix
