// What a field of a data folder can hold, checked wherever a value enters the
// program (a window, a file, the command line): a text up to its field's
// width in the catalogue, an amount finite and within what a document can
// carry, a percentage within its range. Each check gives the Hungarian
// message for the user, or an empty text when the value fits.
#pragma once

#include <QString>

namespace orvix {

// The width in characters of a text field of the catalogue (0: no limit).
int fieldWidth(const QString& table, const QString& field);

// "A(z) "caption" mező legfeljebb N karakter lehet." when text is longer
// than the field's width; empty when it fits or the field has no width.
QString textLengthProblem(const QString& table, const QString& field, const QString& text,
                          const QString& caption);

// The largest amount, in absolute value, that a price, a line's value or a
// document's total may be: twelve whole digits keep every sum of a document
// exact to the fillér in a double and printable by every form.
inline constexpr double kMaxAmount = 1e12;

// True for a finite amount within ±kMaxAmount.
bool amountFits(double value);
// The message for an amount that is not finite or beyond ±kMaxAmount;
// empty when it fits.
QString amountProblem(double value, const QString& caption);

// The message for a percentage (a VAT rate, a discount) that is not finite
// or outside low..high; empty when it fits.
QString percentProblem(double value, double low, double high, const QString& caption);

} // namespace orvix
