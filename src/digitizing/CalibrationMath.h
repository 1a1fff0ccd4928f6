#pragma once
// Numbers of the calibration and the read-out: rounding, the texts the program
// writes and reading back texts with a decimal comma whatever the locale.

#include <QChar>
#include <QString>
#include <optional>

namespace kuvaro {

// Two decimals, halves away from zero.
double RoundHundredths(double q);

// "%6.1f" with the decimal point turned into a comma: "   5,0", "  -0,0", "12345,6".
QString formatReadout(double value);

// Leading blanks, optional sign, digits with an optional decimal comma (at
// least one digit in all), optional exponent, trailing blanks; nothing else.
std::optional<double> parseCommaNumber(const QString& text);

// As parseCommaNumber, but a text that is not such a number fails with
// "'<text>' ist kein gültiger Gleitkommawert".
double readCommaNumber(const QString& text);

// Shortest text with at most 15 significant digits, no trailing zeros, the given decimal separator.
QString generalNumberFormat(double value, QChar decimalSeparator);

// What a factor label shows: the factor rounded to hundredths; a factor that is
// not 0 but rounds to 0 shows three significant digits instead.
QString factorLabelText(double factor, QChar decimalSeparator);

} // namespace kuvaro
