// Small text and number routines shared by the whole program.
#include "core/TextUtil.h"

#include "core/Locale.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <QStringList>
#include <cfloat>
#include <cmath>

namespace orvix {

namespace {

bool isEmptyValue(const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return true;
    const int type = v.metaType().id();
    if (type == QMetaType::QString)
        return v.toString().isEmpty();
    if (type == QMetaType::QByteArray)
        return v.toByteArray().isEmpty();
    return false;
}

bool isTextValue(const QVariant& v) {
    const int type = v.metaType().id();
    return type == QMetaType::QString || type == QMetaType::QByteArray;
}

// A number held as text in a field: decimal point (the engine's form) or
// decimal comma (typed by a user).
std::optional<double> textToDouble(const QString& text) {
    QString s = text.trimmed();
    if (s.isEmpty())
        return std::nullopt;
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double d = QLocale::c().toDouble(s, &ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

// Tolerance within which x is taken to be exactly a half: the error that
// representing a short decimal fraction in binary and one multiplication can
// introduce, but at least 1e-9.
double halfTolerance(double x) {
    return std::max(1e-9, std::abs(x) * 4 * DBL_EPSILON);
}

// Whether x, as a decimal number, ends in exactly .5.
bool isHalf(double x) {
    const double frac = x - std::floor(x);
    return std::abs(frac - 0.5) <= halfTolerance(x);
}

// x rounded to a whole number, halves (decided on the decimal value) to even.
double roundHalfEven(double x) {
    if (!std::isfinite(x))
        return x;
    if (isHalf(x)) {
        const double f = std::floor(x);
        return std::fmod(f, 2.0) == 0 ? f : f + 1;
    }
    return std::round(x);
}

std::optional<qint64> doubleToInt(double d) {
    const double r = roundHalfEven(d);
    if (!std::isfinite(r) || r < -9.2e18 || r > 9.2e18)
        return std::nullopt;
    return static_cast<qint64>(r);
}

// ---- Amount in words -------------------------------------------------------

const QString& unitWord(int d) {
    static const QString words[10] = {
        QString(),
        QStringLiteral("egy"),
        QStringLiteral("kettő"),
        QStringLiteral("három"),
        QStringLiteral("négy"),
        QStringLiteral("öt"),
        QStringLiteral("hat"),
        QStringLiteral("hét"),
        QStringLiteral("nyolc"),
        QStringLiteral("kilenc"),
    };
    return words[d];
}

const QString& tensWord(int d) {
    static const QString words[10] = {
        QString(),
        QStringLiteral("tizen"),
        QStringLiteral("huszon"),
        QStringLiteral("harminc"),
        QStringLiteral("negyven"),
        QStringLiteral("ötven"),
        QStringLiteral("hatvan"),
        QStringLiteral("hetven"),
        QStringLiteral("nyolcvan"),
        QStringLiteral("kilencven"),
    };
    return words[d];
}

// Adds a hundreds digit in front of s; when the group's "ezer"/"millió" is not
// in s yet (its lower digits are zero), the group word follows the "száz".
QString addHundreds(int digit, const QString& s, const QString& groupWord) {
    static const QString szaz = QStringLiteral("száz");
    QString out = unitWord(digit) + szaz + s;
    if (!groupWord.isEmpty() && !out.contains(groupWord))
        out.insert(out.indexOf(szaz) + szaz.size(), groupWord);
    return out;
}

QString addTens(int digit, const QString& s, const QString& groupWord) {
    if (s.contains(groupWord))
        return tensWord(digit) + s;
    return tensWord(digit) + groupWord + s;
}

// Words of 0 < n < 10^9 (0 gives the empty text), built from the right.
QString wordsBelowBillion(qint64 n) {
    static const QString ezer = QStringLiteral("ezer");
    static const QString millio = QStringLiteral("millió");
    int d[9];
    qint64 rest = n;
    for (int& digit : d) {
        digit = int(rest % 10);
        rest /= 10;
    }
    QString s = unitWord(d[0]);
    if (n >= 10)
        s = tensWord(d[1]) + s;
    if (n >= 100 && d[2] != 0)
        s = addHundreds(d[2], s, {});
    if (n >= 1000 && d[3] != 0)
        s = unitWord(d[3]) + QStringLiteral("ezer ") + s;
    if (n >= 10000 && d[4] != 0)
        s = addTens(d[4], s, ezer);
    if (n >= 100000 && d[5] != 0)
        s = addHundreds(d[5], s, ezer);
    if (n >= 1000000 && d[6] != 0)
        s = unitWord(d[6]) + QStringLiteral("millió ") + s;
    if (n >= 10000000 && d[7] != 0)
        s = addTens(d[7], s, millio);
    if (n >= 100000000 && d[8] != 0)
        s = addHundreds(d[8], s, millio);

    s.replace(QStringLiteral("tizenezer"), QStringLiteral("tízezer"));
    s.replace(QStringLiteral("huszonezer"), QStringLiteral("húszezer"));
    s.replace(QStringLiteral("tizenmillió"), QStringLiteral("tízmillió"));
    s.replace(QStringLiteral("huszonmillió"), QStringLiteral("húszmillió"));
    if (s.endsWith(QStringLiteral("huszon")))
        s = s.chopped(6) + QStringLiteral("húsz");
    else if (s.endsWith(QStringLiteral("tizen")))
        s = s.chopped(5) + QStringLiteral("tíz");
    return s;
}

// Words of n > 0: the thousand-millions written as a number of their own
// before "milliárd", then the rest.
QString wordsOf(qint64 n) {
    constexpr qint64 billion = 1000000000;
    if (n == 10)
        return QStringLiteral("tíz");
    if (n == 20)
        return QStringLiteral("húsz");
    if (n < billion)
        return wordsBelowBillion(n);
    return wordsOf(n / billion) + QStringLiteral("milliárd") + wordsBelowBillion(n % billion);
}

} // namespace

// ---- Field and query values ------------------------------------------------

QString varText(const QVariant& v, const QString& def) {
    if (isEmptyValue(v))
        return def;
    switch (v.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return formatFloat(QString(), v.toDouble());
    case QMetaType::QDate:
        return formatDate(v.toDate());
    case QMetaType::QDateTime:
        return v.toDateTime().toString(dateFormatPattern() + QStringLiteral(" hh:mm:ss"));
    case QMetaType::QByteArray:
        return QString::fromUtf8(v.toByteArray());
    default:
        return v.toString();
    }
}

qint64 varInt(const QVariant& v, qint64 def) {
    if (isEmptyValue(v))
        return def;
    if (isTextValue(v)) {
        const QString s = v.toString().trimmed();
        bool ok = false;
        const qint64 i = s.toLongLong(&ok);
        if (ok)
            return i;
        const auto d = textToDouble(s);
        if (!d)
            return def;
        return doubleToInt(*d).value_or(def);
    }
    const int type = v.metaType().id();
    if (type == QMetaType::Double || type == QMetaType::Float)
        return doubleToInt(v.toDouble()).value_or(def);
    bool ok = false;
    const qint64 i = v.toLongLong(&ok);
    return ok ? i : def;
}

double varFloat(const QVariant& v, double def) {
    if (isEmptyValue(v))
        return def;
    if (isTextValue(v))
        return textToDouble(v.toString()).value_or(def);
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? d : def;
}

QString varIntText(const QVariant& v) {
    return QString::number(varInt(v, 0));
}

QString fixedWidth(const QVariant& v, int width) {
    if (width <= 0)
        return QString();
    return varText(v).leftJustified(width, QLatin1Char(' '), true);
}

QString padLeft(const QVariant& v, int width) {
    return varText(v).rightJustified(width, QLatin1Char(' '), false);
}

QString yesNo(bool b) {
    return b ? QStringLiteral("I") : QStringLiteral("N");
}

bool isYes(const QString& s) {
    return s == QLatin1String("I");
}

// ---- Numbers ---------------------------------------------------------------

QString amountInWords(double x) {
    if (!std::isfinite(x) || std::abs(x) >= 1e18)
        return QString();
    // A positive amount ending in .5 goes up, any other to the nearest whole
    // number (a negative half to the even one).
    const double whole = (x > 0 && isHalf(x)) ? std::floor(x) + 1 : std::abs(roundHalfEven(x));
    const auto n = static_cast<qint64>(std::abs(whole));
    if (n == 0)
        return QStringLiteral("nulla");
    const QString words = wordsOf(n);
    return x < 0 ? QStringLiteral("mínusz ") + words : words;
}

std::optional<double> tryParseNumber(const QString& text) {
    QString kept;
    for (const QChar c : text.trimmed())
        if (c.isDigit() || c == QLatin1Char(',') || c == QLatin1Char('-') || c == QLatin1Char('.'))
            kept.append(c.isDigit() ? QChar(QLatin1Char(char('0' + c.digitValue()))) : c);
    if (kept.isEmpty())
        return std::nullopt;
    // The program's decimal separator is the comma; a typed point means it too.
    kept.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double d = QLocale::c().toDouble(kept, &ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

double parseNumber(const QString& text) {
    return tryParseNumber(text).value_or(0.0);
}

qint64 parseInt(const QString& text) {
    QString kept;
    for (const QChar c : text)
        if (c.isDigit() || c == QLatin1Char(',') || c == QLatin1Char('.'))
            kept.append(c.isDigit() ? QChar(QLatin1Char(char('0' + c.digitValue()))) : c);
    bool ok = false;
    const qint64 i = kept.trimmed().toLongLong(&ok);
    return ok ? i : 0;
}

QDate parseDate(const QString& text) {
    const QString s = text.trimmed();
    static const QString formats[] = {
        QStringLiteral("yyyy.M.d"),
        QStringLiteral("yyyy.M.d."),
        QStringLiteral("yyyy-M-d"),
    };
    for (const QString& format : formats) {
        const QDate d = QDate::fromString(s, format);
        if (d.isValid())
            return d;
    }
    return QDate();
}

double round2(double x) {
    if (!std::isfinite(x))
        return x;
    return roundHalfEven(x * 100) / 100;
}

double safeDivide(double b, double a) {
    return a == 0 ? 0.0 : b / a;
}

QString zeroPad(qint64 value, int length, QChar pad) {
    if (value < 0 && pad == QLatin1Char('0')) {
        // The sign goes in front of the zeros: -007, not 00-7.
        const QString digits = QString::number(value).mid(1);
        return QLatin1Char('-') + digits.rightJustified(length - 1, pad, false);
    }
    return QString::number(value).rightJustified(length, pad, false);
}

// ---- Texts -----------------------------------------------------------------

QString removeSpaces(const QString& text) {
    QString out = text;
    out.remove(QLatin1Char(' '));
    out.remove(QChar(0x00A0));
    out.remove(QChar(0x202F));
    return out;
}

QString removeChar(const QString& text, QChar c) {
    QString out = text;
    out.remove(c);
    return out;
}

int countChar(const QString& text, QChar c) {
    return int(text.count(c));
}

QString replaceChar(const QString& text, QChar from, QChar to) {
    QString out = text;
    out.replace(from, to);
    return out;
}

QString field(const QString& text, QChar sep, int n) {
    if (n < 1)
        return QString();
    return text.split(sep).value(n - 1);
}

QString joinLines(const QString& multiLine, const QString& sep) {
    QString text = multiLine;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // A closing line break does not start another line.
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.split(QLatin1Char('\n')).join(sep);
}

QString foldCode(const QString& text) {
    QString out = text.toUpper();
    for (QChar& c : out) {
        switch (c.unicode()) {
        case u'"':
        case u'\'':
            c = QLatin1Char(' ');
            break;
        case u'Á':
            c = QLatin1Char('A');
            break;
        case u'É':
            c = QLatin1Char('E');
            break;
        case u'Í':
            c = QLatin1Char('I');
            break;
        case u'Ó':
        case u'Ö':
        case u'Ő':
            c = QLatin1Char('O');
            break;
        case u'Ú':
        case u'Ü':
        case u'Ű':
            c = QLatin1Char('U');
            break;
        default:
            if (c.unicode() >= 128)
                c = QLatin1Char('#');
        }
    }
    return out;
}

QString safeFileName(const QString& text) {
    static const QString punctuation = QStringLiteral(" !\"#%&'*+/:?@\\");
    QString out = text;
    for (QChar& c : out) {
        if (punctuation.contains(c))
            c = QLatin1Char('-');
        else if (c.unicode() >= 128 || c.unicode() < 32 || c.unicode() == 127)
            c = QLatin1Char('_');
    }
    out = out.toLower();
    // "." and ".." name folders, not files.
    if (!out.isEmpty() && out.count(QLatin1Char('.')) == out.size())
        out.fill(QLatin1Char('_'));
    return out;
}

QString blankInsideQuotes(const QString& text, QChar c) {
    QString out = text;
    bool inside = false;
    for (QChar& ch : out) {
        if (ch == QLatin1Char('"'))
            inside = !inside;
        else if (inside && ch == c)
            ch = QLatin1Char(' ');
    }
    return out;
}

// ---- Old Windows code page ------------------------------------------------

namespace {

struct HungarianLetter {
    unsigned char cp1250;
    unsigned char utf8[2];
};

constexpr HungarianLetter kLetters[] = {
    {0xE1, {0xC3, 0xA1}}, // á
    {0xE9, {0xC3, 0xA9}}, // é
    {0xED, {0xC3, 0xAD}}, // í
    {0xF3, {0xC3, 0xB3}}, // ó
    {0xF6, {0xC3, 0xB6}}, // ö
    {0xF5, {0xC5, 0x91}}, // ő
    {0xFA, {0xC3, 0xBA}}, // ú
    {0xFC, {0xC3, 0xBC}}, // ü
    {0xFB, {0xC5, 0xB1}}, // ű
    {0xC1, {0xC3, 0x81}}, // Á
    {0xC9, {0xC3, 0x89}}, // É
    {0xCD, {0xC3, 0x8D}}, // Í
    {0xD3, {0xC3, 0x93}}, // Ó
    {0xD6, {0xC3, 0x96}}, // Ö
    {0xD5, {0xC5, 0x90}}, // Ő
    {0xDA, {0xC3, 0x9A}}, // Ú
    {0xDC, {0xC3, 0x9C}}, // Ü
    {0xDB, {0xC5, 0xB0}}, // Ű
    // Only read: the look-alikes õ and û of older files stand for ő and ű.
    {0xF5, {0xC3, 0xB5}}, // õ
    {0xFB, {0xC3, 0xBB}}, // û
};
constexpr int kHungarianLetterCount = 18;

} // namespace

QByteArray toUtf8(const QByteArray& cp1250Text) {
    QByteArray out;
    out.reserve(cp1250Text.size() * 2);
    for (const char ch : cp1250Text) {
        const auto b = static_cast<unsigned char>(ch);
        bool converted = false;
        for (int i = 0; i < kHungarianLetterCount && !converted; ++i) {
            if (kLetters[i].cp1250 == b) {
                out.append(char(kLetters[i].utf8[0]));
                out.append(char(kLetters[i].utf8[1]));
                converted = true;
            }
        }
        if (!converted)
            out.append(ch);
    }
    return out;
}

QByteArray fromUtf8(const QByteArray& utf8Text) {
    QByteArray out;
    out.reserve(utf8Text.size());
    const qsizetype n = utf8Text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i + 1 < n) {
            const auto b0 = static_cast<unsigned char>(utf8Text[i]);
            const auto b1 = static_cast<unsigned char>(utf8Text[i + 1]);
            bool converted = false;
            for (const HungarianLetter& letter : kLetters) {
                if (letter.utf8[0] == b0 && letter.utf8[1] == b1) {
                    out.append(char(letter.cp1250));
                    converted = true;
                    break;
                }
            }
            if (converted) {
                ++i;
                continue;
            }
        }
        out.append(utf8Text[i]);
    }
    return out;
}

bool fixLineBreaks(const QString& path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = in.readAll();
    in.close();
    QByteArray fixed;
    fixed.reserve(data.size() + data.size() / 16);
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (data[i] == '\n' && (i == 0 || data[i - 1] != '\r'))
            fixed.append('\r');
        fixed.append(data[i]);
    }
    if (fixed.size() == data.size())
        return true;
    // Written aside and renamed, so a failure leaves the file as it was.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (out.write(fixed) != fixed.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

// ---- Dates -----------------------------------------------------------------

QDate monthStart(const QDate& date) {
    if (!date.isValid())
        return QDate();
    return QDate(date.year(), date.month(), 1);
}

QDate monthEnd(const QDate& date) {
    if (!date.isValid())
        return QDate();
    return QDate(date.year(), date.month(), date.daysInMonth());
}

} // namespace orvix
