#include "masters/Validation.h"

#include <QStringList>
#include <array>

namespace orvix {

namespace {

CheckResult ok() {
    return {CheckLevel::Ok, {}};
}
CheckResult error(const QString& message) {
    return {CheckLevel::Error, message};
}
CheckResult warning(const QString& message) {
    return {CheckLevel::Warning, message};
}

// Text without the separators a user may type between digit groups.
QString withoutSeparators(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('-') || c.isSpace())
            continue;
        out.append(c);
    }
    return out;
}

bool allDigits(const QString& text) {
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return !text.isEmpty();
}

bool isAsciiLetter(QChar c) {
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

int digitAt(const QString& text, int i) {
    return text.at(i).unicode() - '0';
}

// Sum of digits weighted with 9, 7, 3, 1 repeated, from the first digit.
int weightedSum(const QString& digits) {
    static constexpr std::array<int, 4> weights{9, 7, 3, 1};
    int sum = 0;
    for (int i = 0; i < digits.size(); ++i)
        sum += digitAt(digits, i) * weights[static_cast<size_t>(i % 4)];
    return sum;
}

// Check digit of the first seven digits of a tax number (its 8th digit).
int taxCheckDigit(const QString& digits) {
    return (10 - weightedSum(digits.left(7)) % 10) % 10;
}

bool knownCountyCode(int code) {
    return (code >= 2 && code <= 20) || code == 22 || (code >= 41 && code <= 44) || code == 51;
}

const QStringList& euPrefixes() {
    static const QStringList prefixes{
        QStringLiteral("AT"), QStringLiteral("BE"), QStringLiteral("BG"), QStringLiteral("CY"),
        QStringLiteral("CZ"), QStringLiteral("DE"), QStringLiteral("DK"), QStringLiteral("EE"),
        QStringLiteral("EL"), QStringLiteral("ES"), QStringLiteral("FI"), QStringLiteral("FR"),
        QStringLiteral("HR"), QStringLiteral("HU"), QStringLiteral("IE"), QStringLiteral("IT"),
        QStringLiteral("LT"), QStringLiteral("LU"), QStringLiteral("LV"), QStringLiteral("MT"),
        QStringLiteral("NL"), QStringLiteral("PL"), QStringLiteral("PT"), QStringLiteral("RO"),
        QStringLiteral("SE"), QStringLiteral("SI"), QStringLiteral("SK"), QStringLiteral("XI")};
    return prefixes;
}

} // namespace

QString digitsOnly(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            out.append(c);
    }
    return out;
}

CheckResult checkTaxNumber(const QString& text) {
    const QString digits = withoutSeparators(text);
    if (digits.isEmpty())
        return ok();
    if (digits.size() != 11 || !allDigits(digits))
        return warning(QStringLiteral("Az adószám formája 12345678-1-12 (11 számjegy)."));
    if (taxCheckDigit(digits) != digitAt(digits, 7))
        return warning(QStringLiteral("Az adószám ellenőrző számjegye (a 8. számjegy) hibás."));
    const int vatCode = digitAt(digits, 8);
    if (vatCode < 1 || vatCode > 5)
        return warning(QStringLiteral("Az adószám 9. számjegye (áfakód) csak 1 és 5 között lehet."));
    const int county = digits.right(2).toInt();
    if (!knownCountyCode(county))
        return warning(QStringLiteral("Az adószám területi kódja (%1) ismeretlen.").arg(digits.right(2)));
    return ok();
}

bool looksLikeIban(const QString& text) {
    const QString v = withoutSeparators(text);
    return v.size() >= 4 && isAsciiLetter(v.at(0)) && isAsciiLetter(v.at(1)) && v.at(2).isDigit() &&
           v.at(3).isDigit() && v.at(2).unicode() < 128 && v.at(3).unicode() < 128;
}

CheckResult checkIban(const QString& text) {
    const QString v = withoutSeparators(text).toUpper();
    if (v.isEmpty())
        return ok();
    if (!looksLikeIban(v))
        return warning(QStringLiteral("Az IBAN két betűs országkóddal és két ellenőrző számjeggyel kezdődik "
                                      "(pl. HU42 1177 3016 1111 1018 0000 0000)."));
    bool plain = v.size() >= 15 && v.size() <= 34;
    for (const QChar c : v) {
        if (!(c.unicode() < 128 && c.isLetterOrNumber()))
            plain = false;
    }
    if (!plain)
        return warning(QStringLiteral("Az IBAN 15–34 betűből és számjegyből áll."));
    // The country code and check digits go to the end, every letter becomes
    // two digits (A = 10 … Z = 35), and the number must leave 1 modulo 97.
    const QString moved = v.mid(4) + v.left(4);
    int remainder = 0;
    for (const QChar c : moved) {
        const int value = c.isDigit() ? c.unicode() - '0' : c.unicode() - 'A' + 10;
        remainder = (value < 10 ? remainder * 10 + value : remainder * 100 + value) % 97;
    }
    if (remainder != 1)
        return warning(QStringLiteral("Az IBAN ellenőrző számjegyei hibásak."));
    return ok();
}

CheckResult checkBankAccount(const QString& text) {
    const QString digits = withoutSeparators(text);
    if (digits.isEmpty())
        return ok();
    if (looksLikeIban(digits))
        return checkIban(digits);
    if (!allDigits(digits))
        return ok(); // a foreign account number of its own form
    if (digits.size() != 16 && digits.size() != 24)
        return warning(QStringLiteral("A bankszámlaszám 2×8 vagy 3×8 számjegyből áll (12345678-12345678)."));
    if (weightedSum(digits.left(8)) % 10 != 0)
        return warning(QStringLiteral("A bankszámlaszám első nyolc számjegyének ellenőrző számjegye hibás."));
    if (weightedSum(digits.mid(8)) % 10 != 0)
        return warning(QStringLiteral("A bankszámlaszám ellenőrző számjegye hibás."));
    return ok();
}

CheckResult checkEuTaxNumber(const QString& text) {
    const QString value = normalizeEuTaxNumber(text);
    if (value.isEmpty())
        return ok();
    const QString prefix = value.left(2);
    const bool letters = value.size() >= 2 && isAsciiLetter(prefix.at(0)) && isAsciiLetter(prefix.at(1));
    if (!letters)
        return warning(QStringLiteral("A közösségi adószám két betűs országkóddal kezdődik (pl. HU12345676)."));
    const QString body = value.mid(2);
    if (prefix == QLatin1String("HU")) {
        if (body.size() != 8 || !allDigits(body))
            return warning(QStringLiteral("A magyar közösségi adószám a HU és 8 számjegy (pl. HU12345676)."));
        if (taxCheckDigit(body) != digitAt(body, 7))
            return warning(QStringLiteral("A közösségi adószám ellenőrző számjegye (a 8. számjegy) hibás."));
        return ok();
    }
    bool alnum = body.size() >= 2 && body.size() <= 12;
    for (const QChar c : body) {
        if (!(c.unicode() < 128 && c.isLetterOrNumber()))
            alnum = false;
    }
    if (!alnum)
        return warning(QStringLiteral("A közösségi adószám az országkód után 2–12 számjegy vagy betű."));
    if (!euPrefixes().contains(prefix))
        return warning(
            QStringLiteral("A közösségi adószám országkódja (%1) nem uniós tagállamé.").arg(prefix));
    return ok();
}

CheckResult checkPostcode(const QString& text) {
    const QString value = text.trimmed();
    if (value.isEmpty())
        return ok();
    if (value.size() != 4 || !allDigits(value) || value.at(0) == QLatin1Char('0'))
        return error(QStringLiteral("Az irányítószám négy számjegy (1000–9999)."));
    return ok();
}

QString normalizeTaxNumber(const QString& text) {
    const QString digits = withoutSeparators(text);
    if (digits.size() == 11 && allDigits(digits))
        return digits;
    return text.trimmed();
}

QString formatTaxNumber(const QString& stored) {
    const QString digits = withoutSeparators(stored);
    if (digits.size() != 11 || !allDigits(digits))
        return stored;
    return digits.left(8) + QLatin1Char('-') + digits.mid(8, 1) + QLatin1Char('-') + digits.mid(9);
}

QString formatBankAccount(const QString& text) {
    const QString digits = withoutSeparators(text);
    if ((digits.size() != 16 && digits.size() != 24) || !allDigits(digits))
        return text;
    QStringList blocks;
    for (int i = 0; i < digits.size(); i += 8)
        blocks << digits.mid(i, 8);
    return blocks.join(QLatin1Char('-'));
}

QString normalizeBankAccount(const QString& text) {
    const QString compact = withoutSeparators(text);
    if (allDigits(compact) && (compact.size() == 16 || compact.size() == 24))
        return compact;
    if (looksLikeIban(compact))
        return compact.toUpper();
    return text.trimmed();
}

QString normalizeEuTaxNumber(const QString& text) {
    QString out;
    for (const QChar c : text) {
        if (!c.isSpace())
            out.append(c.toUpper());
    }
    return out;
}

CheckResult relaxForStoredValue(const CheckResult& result, bool unchangedFromStored) {
    if (result.level == CheckLevel::Error && unchangedFromStored)
        return {CheckLevel::Warning, result.message};
    return result;
}

QString warningQuestion(const CheckResult& result) {
    return result.message + QStringLiteral("\nMégis menti?");
}

} // namespace orvix
