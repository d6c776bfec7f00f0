#include "invoicing/PriceEntry.h"

#include "core/Locale.h"
#include "core/TextUtil.h"
#include "invoicing/Documents.h"

namespace orvix {

namespace {

const QString kFiveDecimals = QStringLiteral("########0.00000");

} // namespace

PriceEntry::PriceEntry(double offeredNet, double rate, const QString& formatft)
    : m_net0(offeredNet), m_gross0((rate / 100.0 + 1.0) * offeredNet), m_rate(rate), m_format(formatft) {
    m_net = m_net0;
    m_gross = m_gross0;
    m_netText = money(m_net0);
    m_grossText = money(m_gross0);
}

QString PriceEntry::money(double value) const {
    return formatMoney(value, m_format);
}

double PriceEntry::readNumber(const QString& text) {
    // Anything but digits, sign and decimal marks is dropped; "," and "."
    // both count as the decimal mark; the rest reads as 0.
    QString kept;
    for (const QChar c : removeSpaces(text))
        if (c.isDigit() || c == u'-' || c == u',' || c == u'.')
            kept += c;
    return parseNumber(kept);
}

QString PriceEntry::grossInfo() const {
    return QStringLiteral("Bruttó áron: ") + money(m_gross);
}

QString PriceEntry::netInfo() const {
    return QStringLiteral("Nettó áron: ") + money(m_net);
}

QString PriceEntry::offeredNetInfo() const {
    return QStringLiteral("eredeti nettó: ") + money(m_net0);
}

QString PriceEntry::offeredGrossInfo() const {
    return QStringLiteral("eredeti bruttó: ") + money(m_gross0);
}

QString PriceEntry::netDiscountInfo() const {
    return QStringLiteral("kedvezmény: ") + money(m_net0 - m_net);
}

QString PriceEntry::grossDiscountInfo() const {
    return QStringLiteral("kedvezmény: ") + money(m_gross0 - m_gross);
}

void PriceEntry::typeNet(const QString& text) {
    m_netText = text;
    m_net = readNumber(text);
    m_gross = (m_rate / 100.0 + 1.0) * m_net;
    m_grossText = formatFloat(kFiveDecimals, m_gross);
}

void PriceEntry::typeGross(const QString& text) {
    m_grossText = text;
    m_gross = readNumber(text);
    m_net = safeDivide(m_gross, m_rate / 100.0 + 1.0);
    m_netText = formatFloat(kFiveDecimals, m_net);
}

void PriceEntry::reduceByPercent(const QString& percentText) {
    const double p = readNumber(percentText);
    const double net = readNumber(m_netText);
    const double gross = readNumber(m_grossText);
    m_grossText = money(gross - p / 100.0 * gross);
    typeNet(money(net - net * p / 100.0));
}

double PriceEntry::result(bool netPage) const {
    if (netPage)
        return readNumber(m_netText);
    return safeDivide(readNumber(m_grossText), m_rate / 100.0 + 1.0);
}

std::optional<QString> PriceEntry::resultProblem(bool netPage) const {
    return LineValueProblem(result(netPage), 1, m_rate);
}

} // namespace orvix
