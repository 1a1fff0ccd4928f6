#pragma once
// The calibration's arithmetic: the factors from the three points and the two
// differences, the conversion of view positions into diagram values, and the
// number texts the program writes and reads back (decimal comma whatever the
// locale).

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

// The conversion of view positions into diagram values that a calibration
// gives: diagram X grows to the right, diagram Y upwards (view Y grows down).
struct Calibration
{
    int xo = -1, yo = -1;             // the origin, view units
    double xfakt = 0.0, yfakt = 0.0;  // view units per diagram unit

    // Both factors usable: not 0, not infinite, not NaN.
    bool valid() const;
    double diagramX(int x) const { return (x - xo) / xfakt; }
    double diagramY(int y) const { return (yo - y) / yfakt; }
};

// What the factor computation makes of the three points (view units) and the
// two difference texts.
struct FactorComputation
{
    enum Outcome {
        Done,
        XNotANumber, // the X difference text is no number
        YNotANumber,
        ZeroDifference, // a difference is 0
        TooSmall,       // a difference so small that its factor is no finite number
    };
    Outcome outcome = Done;
    // The difference that failed: 1 the X, 2 the Y difference, 0 none.
    int faulty = 0;
    double xdiff = 0.0, ydiff = 0.0;
    // The exact quotients: rounding them would turn a large difference over a
    // short distance into a factor of 0.
    double xfakt = 0.0, yfakt = 0.0;
};
FactorComputation computeFactors(int xo, int yo, int x1, int y1, const QString& xdiffText, const QString& ydiffText);

// "'<text>' ist kein gültiger Gleitkommawert"
QString notANumberText(const QString& text);

// What a factor label shows: the factor rounded to hundredths; a factor that is
// not 0 but rounds to 0 shows three significant digits instead.
QString factorLabelText(double factor, QChar decimalSeparator);

} // namespace kuvaro
