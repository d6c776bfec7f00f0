// The program's own number and date forms. The program works in the Hungarian
// locale whatever the system's: decimal comma, space-grouped thousands and
// yyyy.MM.dd dates.
#pragma once

#include <QDate>
#include <QString>

namespace orvix {

// The date pattern of every date the program shows or reads ("2024.12.31").
inline QString dateFormatPattern() {
    return QStringLiteral("yyyy.MM.dd");
}

// Makes the Hungarian locale Qt's default (decimal comma). Qt's own widgets
// keep Qt's Hungarian group separator (a no-break space); every number the
// program formats itself uses a plain space.
void installHungarianLocale();

// A number formatted with a picture:
//   0        a digit, 0 when there is none
//   #        a digit, nothing when there is none
//   .        the decimal comma (the first one; later ones are ignored)
//   ,        thousands grouped with spaces (anywhere in the picture)
//   ;        separates the pictures of positive;negative;zero values
//   '..' ".." literal text
// Any other character is written as it is; such characters standing between
// unused leading # places are dropped with them ("### ### ##0" on 42 gives
// "42"). Decimals are rounded half away from zero on the decimal value
// (2.675 with "0.00" gives "2,68"). Negative values get a leading "-" unless
// they have a picture of their own; a value that rounds to zero counts as
// zero. An empty picture gives the shortest general form ("1234,5").
QString formatFloat(const QString& format, double value);
// formatFloat with the money picture of the settings (formatft), or
// "### ### ##0" when it is empty.
QString formatMoney(double value, const QString& formatft);
// formatFloat with the quantity picture of the settings (formatdb), or
// "### ### ##0" when it is empty.
QString formatQuantity(double value, const QString& formatdb);
// "yyyy.MM.dd"; empty for an invalid date.
QString formatDate(const QDate& date);

} // namespace orvix
