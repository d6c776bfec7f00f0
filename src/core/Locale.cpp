// The program's own number and date forms: decimal comma, thousands grouped
// with plain spaces, yyyy.MM.dd dates.
#include "core/Locale.h"

#include <QLocale>
#include <QStringList>
#include <QVector>
#include <cmath>

namespace orvix {

namespace {

constexpr QChar kDecimalComma = QLatin1Char(',');
constexpr QChar kGroupSpace = QLatin1Char(' ');

// The shortest general form: up to 15 significant digits, no grouping.
QString generalForm(double value) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    QString s = QString::number(value, 'g', 15);
    s.replace(QLatin1Char('.'), kDecimalComma);
    return s;
}

// |value| rounded to `decimals` places, half away from zero, on the value's
// 15 significant decimal digits (so 2.675 is a half, as the user sees it).
struct Rounded {
    QString intDigits;  // without leading zeros; empty for 0
    QString fracDigits; // exactly `decimals` digits
    bool isZero = true;
};

Rounded roundDecimal(double absValue, int decimals) {
    // "d.dddddddddddddde+XX": 15 significant digits and the exponent.
    const QString e = QString::number(absValue, 'e', 14);
    const qsizetype ePos = e.indexOf(QLatin1Char('e'));
    QString mantissa = e.left(ePos);
    mantissa.remove(QLatin1Char('.'));
    const int exponent = e.mid(ePos + 1).toInt();
    const int keep = exponent + 1 + decimals; // digits of value × 10^decimals

    QString digits; // value × 10^decimals as a whole number
    if (keep >= 0) {
        digits = mantissa.left(keep);
        if (digits.size() < keep)
            digits.append(QString(keep - digits.size(), QLatin1Char('0')));
        if (keep < mantissa.size() && mantissa[keep] >= QLatin1Char('5')) {
            qsizetype i = digits.size() - 1;
            for (; i >= 0; --i) {
                if (digits[i] == QLatin1Char('9')) {
                    digits[i] = QLatin1Char('0');
                } else {
                    digits[i] = QChar(digits[i].unicode() + 1);
                    break;
                }
            }
            if (i < 0)
                digits.prepend(QLatin1Char('1'));
        }
    }
    if (digits.size() < decimals + 1)
        digits = QString(decimals + 1 - digits.size(), QLatin1Char('0')) + digits;

    Rounded r;
    r.fracDigits = digits.right(decimals);
    r.intDigits = digits.left(digits.size() - decimals);
    while (r.intDigits.startsWith(QLatin1Char('0')))
        r.intDigits.remove(0, 1);
    for (const QChar c : digits)
        if (c != QLatin1Char('0'))
            r.isZero = false;
    return r;
}

struct Token {
    enum Kind { Zero, Hash, Point, Comma, Literal, Quoted } kind;
    QString text; // for Literal and Quoted
};

// One section of a picture, split into tokens.
struct Section {
    QVector<Token> tokens;
    bool thousands = false;
    int intPlaces = 0;    // 0 and # before the decimal point
    int fracPlaces = 0;   // 0 and # after it
    int firstIntZero = 0; // index of the first 0 among the integer places
    int fracRequired = 0; // fraction digits up to the last 0 place
    bool isEmpty() const { return tokens.isEmpty(); }
};

// Splits a picture at the ';' that stand outside quotes.
QStringList splitSections(const QString& format) {
    QStringList sections{QString()};
    QChar quote;
    for (const QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            sections.append(QString());
            continue;
        }
        sections.last().append(c);
    }
    return sections;
}

Section parseSection(const QString& text) {
    Section s;
    bool afterPoint = false;
    int firstZero = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            qsizetype end = text.indexOf(c, i + 1);
            if (end < 0)
                end = text.size();
            s.tokens.append(Token{Token::Quoted, text.mid(i + 1, end - i - 1)});
            i = end;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            const bool zero = c == QLatin1Char('0');
            s.tokens.append(Token{zero ? Token::Zero : Token::Hash, {}});
            if (afterPoint) {
                ++s.fracPlaces;
                if (zero)
                    s.fracRequired = s.fracPlaces;
            } else {
                if (zero && firstZero < 0)
                    firstZero = s.intPlaces;
                ++s.intPlaces;
            }
        } else if (c == QLatin1Char('.')) {
            if (!afterPoint)
                s.tokens.append(Token{Token::Point, {}});
            afterPoint = true;
        } else if (c == QLatin1Char(',')) {
            s.thousands = true;
            s.tokens.append(Token{Token::Comma, {}});
        } else {
            s.tokens.append(Token{Token::Literal, QString(c)});
        }
    }
    s.firstIntZero = firstZero < 0 ? s.intPlaces : firstZero;
    return s;
}

QString renderSection(const Section& s, double absValue) {
    const Rounded r = roundDecimal(absValue, s.fracPlaces);
    const int minIntDigits = s.intPlaces - s.firstIntZero;
    QString intStr = r.intDigits;
    if (intStr.size() < minIntDigits)
        intStr = QString(minIntDigits - intStr.size(), QLatin1Char('0')) + intStr;
    const int n = int(intStr.size());
    QString frac = r.fracDigits;
    while (frac.size() > s.fracRequired && frac.endsWith(QLatin1Char('0')))
        frac.chop(1);

    QString out;
    bool anyDigit = false;
    const auto writeDigits = [&](int from, int to) { // inclusive indexes of intStr
        for (int i = std::max(from, 0); i <= to; ++i) {
            out.append(intStr[i]);
            anyDigit = true;
            const int remaining = n - 1 - i;
            if (s.thousands && remaining > 0 && remaining % 3 == 0)
                out.append(kGroupSpace);
        }
    };

    // The digits are aligned to the right of the integer places; digits that
    // do not fit all go to the first place.
    const int offset = s.intPlaces - n;
    int intIndex = 0;
    int fracIndex = 0;
    bool afterPoint = false;
    for (const Token& t : s.tokens) {
        switch (t.kind) {
        case Token::Zero:
        case Token::Hash:
            if (afterPoint) {
                if (fracIndex < frac.size())
                    out.append(frac[fracIndex]);
                ++fracIndex;
            } else {
                const int k = intIndex++;
                const int to = k - offset;
                if (to >= 0)
                    writeDigits(k == 0 ? 0 : to, to);
            }
            break;
        case Token::Point:
            afterPoint = true;
            if (s.intPlaces == 0)
                writeDigits(0, n - 1);
            if (!frac.isEmpty())
                out.append(kDecimalComma);
            break;
        case Token::Comma:
            break;
        case Token::Quoted:
            out.append(t.text);
            break;
        case Token::Literal:
            // Characters between integer places that got no digit are left
            // out with them.
            if (afterPoint || intIndex == 0 || intIndex >= s.intPlaces || anyDigit)
                out.append(t.text);
            break;
        }
    }
    return out;
}

} // namespace

void installHungarianLocale() {
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
}

QString formatFloat(const QString& format, double value) {
    if (format.isEmpty() || !std::isfinite(value))
        return generalForm(value);
    const QStringList texts = splitSections(format);
    QVector<Section> sections;
    for (const QString& text : texts.mid(0, 3))
        sections.append(parseSection(text));
    if (sections[0].isEmpty())
        return generalForm(value);

    const double absValue = std::abs(value);
    // Whether the value is zero is decided after rounding with the picture of
    // positive values, so that -0.001 with "0.00" reads 0,00 and not -0,00.
    if (roundDecimal(absValue, sections[0].fracPlaces).isZero) {
        const Section& zero = sections.size() >= 3 && !sections[2].isEmpty() ? sections[2] : sections[0];
        return renderSection(zero, 0.0);
    }
    if (value < 0) {
        if (sections.size() >= 2 && !sections[1].isEmpty())
            return renderSection(sections[1], absValue);
        return QLatin1Char('-') + renderSection(sections[0], absValue);
    }
    return renderSection(sections[0], absValue);
}

QString formatMoney(double value, const QString& formatft) {
    return formatFloat(formatft.isEmpty() ? QStringLiteral("### ### ##0") : formatft, value);
}

QString formatQuantity(double value, const QString& formatdb) {
    return formatFloat(formatdb.isEmpty() ? QStringLiteral("### ### ##0") : formatdb, value);
}

QString formatDate(const QDate& date) {
    if (!date.isValid())
        return QString();
    return date.toString(dateFormatPattern());
}

} // namespace orvix
