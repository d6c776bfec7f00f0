// Small text and number routines shared by the whole program: reading field
// values with a default, parsing what the user typed, the amount in words,
// folding texts for product codes and file names, and the Hungarian letters
// of the old Windows code page.
#pragma once

#include <QByteArray>
#include <QChar>
#include <QDate>
#include <QString>
#include <QVariant>
#include <optional>

namespace orvix {

// ---- Field and query values ------------------------------------------------
// A value is "empty" when it is a database null, an invalid variant or an
// empty text (blank fields of older data folders were stored as nulls).

// The value as text; numbers in the program's form (decimal comma), dates as
// yyyy.MM.dd.
QString varText(const QVariant& v, const QString& def = {});
// The value as an integer (a fraction is rounded, halves to even); def when
// empty or not a number.
qint64 varInt(const QVariant& v, qint64 def = 0);
// The value as a number (texts with a decimal point or comma); def when empty
// or not a number.
double varFloat(const QVariant& v, double def = 0);
// The value as integer text; "0" when empty.
QString varIntText(const QVariant& v);
// The value's text cut to, or padded on the right with spaces to, width.
QString fixedWidth(const QVariant& v, int width);
// The value's text padded on the left with spaces to width (never cut).
QString padLeft(const QVariant& v, int width);

// Flag texts of the tables: "I" for yes, "N" for no.
QString yesNo(bool b);
bool isYes(const QString& s); // exactly "I"

// ---- Numbers ---------------------------------------------------------------

// The amount written out in Hungarian words, as printed on invoices and cash
// vouchers ("egyezer kettőszázharmincnégy"). The amount is first rounded to a
// whole number (a positive .5 upwards). Empty for amounts of 10^18 and above.
QString amountInWords(double x);

// A number typed by the user: spaces, currency signs and other letters are
// ignored, both "," and "." are taken as the decimal comma. 0 when the text
// holds no number (tryParseNumber tells that case apart).
double parseNumber(const QString& text);
std::optional<double> tryParseNumber(const QString& text);
// A whole number typed by the user: only digits count (spaces and signs are
// ignored); 0 when the text holds a fraction or no number.
qint64 parseInt(const QString& text);
// A date typed by the user: yyyy.MM.dd (also with a closing point, with one-
// digit month and day, or yyyy-MM-dd). An invalid date when it does not parse.
QDate parseDate(const QString& text);

// x rounded to 2 decimals, halves to the even neighbour (0.125 -> 0.12,
// 0.375 -> 0.38). Whether x × 100 is a half is decided on the decimal value
// the user sees, not on its binary approximation: 1.005 and 2.675 count as
// halves (-> 1.00 and 2.68) although the nearest doubles lie just below them.
double round2(double x);
// b / a, or 0 when a is 0.
double safeDivide(double b, double a);
// value as text padded on the left with pad to length (never cut); a negative
// value padded with zeros keeps its sign in front ("-007").
QString zeroPad(qint64 value, int length, QChar pad = QLatin1Char('0'));

// ---- Texts -----------------------------------------------------------------

// Without spaces (the no-break and narrow no-break space of pasted numbers too).
QString removeSpaces(const QString& text);
QString removeChar(const QString& text, QChar c);
int countChar(const QString& text, QChar c);
QString replaceChar(const QString& text, QChar from, QChar to);
// The n-th field (from 1) of text split at every sep; empty fields count.
// Empty when there is no such field.
QString field(const QString& text, QChar sep, int n);
// The lines of a multi-line text joined with sep between them.
QString joinLines(const QString& multiLine, const QString& sep);
// Text for product codes: upper case, quotes become spaces, Hungarian accented
// letters lose their accent, any other non-ASCII character becomes '#'.
QString foldCode(const QString& text);
// A text made usable as a file name: punctuation becomes '-', non-ASCII and
// control characters '_', then lower case. Never "." or "..".
QString safeFileName(const QString& text);
// Every c standing between double quotes becomes a space (so that a separator
// inside a quoted value does not split it).
QString blankInsideQuotes(const QString& text, QChar c);

// ---- Old Windows code page ------------------------------------------------
// Only the 18 Hungarian accented letters are converted, every other byte is
// left as it is. (Full conversion: decodeCodepage/encodeCodepage.)
QByteArray toUtf8(const QByteArray& cp1250Text);
// The reverse; õ and û (look-alikes in older files) become ő and ű. Other
// multi-byte sequences stay as they are.
QByteArray fromUtf8(const QByteArray& utf8Text);
// Rewrites a text file so that every line feed has a carriage return before
// it. False when the file cannot be read or written (it is then unchanged).
bool fixLineBreaks(const QString& path);

// ---- Dates -----------------------------------------------------------------
QDate monthStart(const QDate& date);
QDate monthEnd(const QDate& date);

} // namespace orvix
