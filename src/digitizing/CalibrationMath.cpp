#include "digitizing/CalibrationMath.h"

#include "core/Errors.h"

#include <charconv>
#include <cmath>
#include <string>

namespace kuvaro {

double RoundHundredths(double q)
{
    const double p = 1.0 / (10 * 10);
    const double r = q >= 0 ? std::trunc(q / p + 0.5) : std::trunc(q / p - 0.5);
    return r * p;
}

QString formatReadout(double value)
{
    // QString::asprintf formats with '.' whatever the locale.
    QString t = QString::asprintf("%6.1f", value);
    t.replace(u'.', u',');
    return t;
}

std::optional<double> parseCommaNumber(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i) == u' ')
        ++i;
    qsizetype end = n;
    while (end > i && text.at(end - 1) == u' ')
        --end;

    std::string ascii;
    ascii.reserve(size_t(end - i));
    auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };

    if (i < end && (text.at(i) == u'+' || text.at(i) == u'-')) {
        if (text.at(i) == u'-')
            ascii.push_back('-');
        ++i;
    }
    int digits = 0;
    while (i < end && isDigit(text.at(i))) {
        ascii.push_back(char(text.at(i).unicode()));
        ++digits;
        ++i;
    }
    if (i < end && text.at(i) == u',') {
        ascii.push_back('.');
        ++i;
        while (i < end && isDigit(text.at(i))) {
            ascii.push_back(char(text.at(i).unicode()));
            ++digits;
            ++i;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < end && (text.at(i) == u'e' || text.at(i) == u'E')) {
        ascii.push_back('e');
        ++i;
        if (i < end && (text.at(i) == u'+' || text.at(i) == u'-')) {
            ascii.push_back(char(text.at(i).unicode()));
            ++i;
        }
        int expDigits = 0;
        while (i < end && isDigit(text.at(i))) {
            ascii.push_back(char(text.at(i).unicode()));
            ++expDigits;
            ++i;
        }
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;

    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec != std::errc() || ptr != ascii.data() + ascii.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString notANumberText(const QString& text) { return QStringLiteral("'%1' ist kein gültiger Gleitkommawert").arg(text); }

double readCommaNumber(const QString& text)
{
    if (const auto v = parseCommaNumber(text))
        return *v;
    throw KuvaroError(notANumberText(text));
}

bool Calibration::valid() const
{
    return xfakt != 0.0 && yfakt != 0.0 && std::isfinite(xfakt) && std::isfinite(yfakt);
}

FactorComputation computeFactors(int xo, int yo, int x1, int y1, const QString& xdiffText, const QString& ydiffText)
{
    FactorComputation f;
    const auto xdiff = parseCommaNumber(xdiffText);
    if (!xdiff) {
        f.outcome = FactorComputation::XNotANumber;
        f.faulty = 1;
        return f;
    }
    f.xdiff = *xdiff;
    const auto ydiff = parseCommaNumber(ydiffText);
    if (!ydiff) {
        f.outcome = FactorComputation::YNotANumber;
        f.faulty = 2;
        return f;
    }
    f.ydiff = *ydiff;
    if (f.xdiff == 0.0 || f.ydiff == 0.0) {
        f.outcome = FactorComputation::ZeroDifference;
        f.faulty = f.xdiff == 0.0 ? 1 : 2;
        return f;
    }
    f.xfakt = double(x1 - xo) / f.xdiff;
    f.yfakt = double(yo - y1) / f.ydiff;
    if (!std::isfinite(f.xfakt) || !std::isfinite(f.yfakt)) {
        f.outcome = FactorComputation::TooSmall;
        f.faulty = std::isfinite(f.xfakt) ? 2 : 1;
    }
    return f;
}

QString generalNumberFormat(double value, QChar decimalSeparator)
{
    if (value == 0.0)
        value = 0.0; // no "-0"
    QString t = QString::number(value, 'g', 15);
    t.replace(u'.', decimalSeparator);
    return t;
}

QString factorLabelText(double factor, QChar decimalSeparator)
{
    const double rounded = RoundHundredths(factor);
    if (rounded == 0.0 && factor != 0.0) {
        QString t = QString::number(factor, 'g', 3);
        t.replace(u'.', decimalSeparator);
        return t;
    }
    return generalNumberFormat(rounded, decimalSeparator);
}

} // namespace kuvaro
