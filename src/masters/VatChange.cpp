#include "masters/VatChange.h"

#include "common/Database.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace orvix {

QList<double> productVatRates(Database& db) {
    QList<double> rates;
    QSqlQuery q = db.select(QStringLiteral("SELECT DISTINCT afakulcs FROM cikkszam WHERE afakulcs IS NOT NULL ORDER BY 1;"));
    while (q.next())
        rates << q.value(0).toDouble();
    return rates;
}

QList<VatRateUse> productVatRatesInUse(Database& db) {
    QList<VatRateUse> rates;
    QSqlQuery q = db.select(QStringLiteral("SELECT afakulcs, COUNT(*) AS mennyi FROM cikkszam WHERE torolve='N' "
                                           "GROUP BY afakulcs ORDER BY afakulcs;"));
    while (q.next())
        rates << VatRateUse{q.value(0).toDouble(), q.value(1).toInt()};
    return rates;
}

std::optional<double> parseVatRate(const QString& text) {
    // Digits with one decimal sign, an optional "%" after them: a text with
    // anything else is not taken for a rate.
    static const QRegularExpression rate(QStringLiteral("^\\s*(\\d{1,3}(?:[.,]\\d+)?)\\s*%?\\s*$"));
    const QRegularExpressionMatch m = rate.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const double value = m.captured(1).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
    if (value > 100)
        return std::nullopt;
    return value;
}

QString vatRateText(double rate) {
    return QString::number(rate, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
}

int changeVatRate(Database& db, double from, double to, VatKeep keep) {
    Database::Transaction tr(db);
    if (db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam WHERE afakulcs=?;"), 0, {from}) == 0)
        throw VatChangeError(QStringLiteral("Nincs %1 %-os áfa kulcsú cikk.").arg(vatRateText(from)));
    db.execSql(QStringLiteral("UPDATE cikkszam SET afakulcs=? WHERE afakulcs=?;"), {to, from});
    if (keep == VatKeep::Net) {
        db.execSql(QStringLiteral("UPDATE cikkszam SET afa=netto*afakulcs/100.0 WHERE afakulcs=?;"), {to});
        db.execSql(QStringLiteral("UPDATE cikkszam SET brutto=netto+afa WHERE afakulcs=?;"), {to});
    } else {
        db.execSql(QStringLiteral("UPDATE cikkszam SET netto=brutto*1.0/(afakulcs/100.0+1.0) WHERE afakulcs=?;"), {to});
        db.execSql(QStringLiteral("UPDATE cikkszam SET afa=brutto-netto WHERE afakulcs=?;"), {to});
    }
    const int changed = int(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam WHERE afakulcs=?;"), 0, {to}));
    tr.commit();
    return changed;
}

int changeVatRate(Database& db, double from, const QString& toText, VatKeep keep) {
    if (toText.trimmed().isEmpty())
        throw VatChangeError(QStringLiteral("Adja meg az új áfa kulcsot!"));
    const std::optional<double> to = parseVatRate(toText);
    if (!to)
        throw VatChangeError(
            QStringLiteral("Az új áfa kulcs nem érvényes: \"%1\" (0 és 100 közötti szám, például 27 vagy 5,5).")
                .arg(toText.trimmed()));
    return changeVatRate(db, from, *to, keep);
}

} // namespace orvix
