// The numbers of the calibration: rounding to hundredths, the read-out texts,
// reading texts with a decimal comma whatever the locale, and the factor labels.

#include "core/Errors.h"
#include "common/CoreTestMain.h"
#include "digitizing/CalibrationMath.h"

#include <QLocale>

#include <clocale>
#include <cmath>
#include <string>

using namespace kuvaro;

class TestCalibrationMath : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundHundredths_data()
    {
        QTest::addColumn<double>("q");
        QTest::addColumn<double>("expected");
        QTest::newRow("600/7") << 600.0 / 7 << 85.71;
        QTest::newRow("350/3") << 350.0 / 3 << 116.67;
        QTest::newRow("-600/7") << -600.0 / 7 << -85.71;
        QTest::newRow("whole") << 60.0 << 60.0;
        QTest::newRow("already two decimals") << 1.5 << 1.5;
        // Halves (exact in binary) go away from zero on both sides.
        QTest::newRow("half up") << 0.125 << 0.13;
        QTest::newRow("half down") << -0.125 << -0.13;
        QTest::newRow("half up 2") << 0.375 << 0.38;
        QTest::newRow("half down 2") << -0.375 << -0.38;
        QTest::newRow("just below half") << 0.1249 << 0.12;
        QTest::newRow("negative just below half") << -0.1249 << -0.12;
        QTest::newRow("0.005 rounds up") << 0.005 << 0.01;
        QTest::newRow("-0.005 rounds down") << -0.005 << -0.01;
        QTest::newRow("0.0049 is 0") << 0.0049 << 0.0;
        QTest::newRow("-0.0049 is 0") << -0.0049 << 0.0;
        QTest::newRow("one in three hundred is 0") << 100.0 / 30000 << 0.0;
        QTest::newRow("zero") << 0.0 << 0.0;
        QTest::newRow("large") << 123456.789 << 123456.79;
    }

    void roundHundredths()
    {
        QFETCH(double, q);
        QFETCH(double, expected);
        const double r = RoundHundredths(q);
        if (expected == 0.0)
            QVERIFY2(r == 0.0, qPrintable(QString::number(r, 'g', 17)));
        else
            QVERIFY2(std::abs(r - expected) < 1e-9, qPrintable(QString::number(r, 'g', 17)));
    }

    void readoutFormat_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("12.34") << 12.34 << QStringLiteral("  12,3");
        QTest::newRow("-0.04") << -0.04 << QStringLiteral("  -0,0");
        QTest::newRow("12345.6") << 12345.6 << QStringLiteral("12345,6");
        QTest::newRow("5") << 5.0 << QStringLiteral("   5,0");
        QTest::newRow("3") << 3.0 << QStringLiteral("   3,0");
        QTest::newRow("0") << 0.0 << QStringLiteral("   0,0");
        QTest::newRow("-7.26") << -7.26 << QStringLiteral("  -7,3");
        QTest::newRow("six characters negative") << -123.44 << QStringLiteral("-123,4");
        QTest::newRow("longer is not cut") << -12345.6 << QStringLiteral("-12345,6");
        QTest::newRow("million") << 1000000.0 << QStringLiteral("1000000,0");
        QTest::newRow("rounding carries") << 9.96 << QStringLiteral("  10,0");
    }

    void readoutFormat()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(formatReadout(value), expected);
    }

    void parseAccepted_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("integer") << QStringLiteral("10") << 10.0;
        QTest::newRow("comma") << QStringLiteral("2,5") << 2.5;
        QTest::newRow("from the dialog") << QStringLiteral("12,5") << 12.5;
        QTest::newRow("blanks around") << QStringLiteral("  12,5 ") << 12.5;
        QTest::newRow("minus") << QStringLiteral("-3") << -3.0;
        QTest::newRow("plus") << QStringLiteral("+4,25") << 4.25;
        QTest::newRow("leading comma") << QStringLiteral(",5") << 0.5;
        QTest::newRow("trailing comma") << QStringLiteral("5,") << 5.0;
        QTest::newRow("negative fraction") << QStringLiteral("-0,5") << -0.5;
        QTest::newRow("zeros") << QStringLiteral("00") << 0.0;
        QTest::newRow("zero with comma") << QStringLiteral("0,0") << 0.0;
        QTest::newRow("exponent") << QStringLiteral("1,5e2") << 150.0;
        QTest::newRow("exponent upper signed") << QStringLiteral("1E-2") << 0.01;
        QTest::newRow("exponent plus") << QStringLiteral("2,5E+3") << 2500.0;
        QTest::newRow("ten characters") << QStringLiteral("1234567,89") << 1234567.89;
    }

    void parseAccepted()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        const auto v = parseCommaNumber(text);
        QVERIFY(v.has_value());
        QCOMPARE(*v, expected);
        QCOMPARE(readCommaNumber(text), expected);
    }

    void parseRejected_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("blanks") << QStringLiteral("   ");
        QTest::newRow("two commas") << QStringLiteral("1,2,3");
        QTest::newRow("decimal point") << QStringLiteral("1.5");
        QTest::newRow("thousands point") << QStringLiteral("1.000");
        QTest::newRow("inner blank") << QStringLiteral("1 000");
        QTest::newRow("letters") << QStringLiteral("abc");
        QTest::newRow("digit and letter") << QStringLiteral("1a");
        QTest::newRow("sign alone") << QStringLiteral("-");
        QTest::newRow("comma alone") << QStringLiteral(",");
        QTest::newRow("sign and comma") << QStringLiteral("-,");
        QTest::newRow("exponent without mantissa") << QStringLiteral("e5");
        QTest::newRow("exponent without digits") << QStringLiteral("1e");
        QTest::newRow("exponent sign only") << QStringLiteral("1e+");
        QTest::newRow("two signs") << QStringLiteral("--1");
        QTest::newRow("mixed signs") << QStringLiteral("+-1");
        QTest::newRow("trailing minus") << QStringLiteral("5-");
        QTest::newRow("comma after fraction") << QStringLiteral("1,5,");
        QTest::newRow("non-latin digit") << QStringLiteral("\u0661");
        QTest::newRow("overflow") << QStringLiteral("1e400");
        QTest::newRow("infinity") << QStringLiteral("inf");
        QTest::newRow("nan") << QStringLiteral("nan");
    }

    void parseRejected()
    {
        QFETCH(QString, text);
        QVERIFY(!parseCommaNumber(text).has_value());
        try {
            readCommaNumber(text);
            QFAIL("no failure");
        } catch (const KuvaroError& e) {
            QCOMPARE(e.message(), QStringLiteral("'%1' ist kein gültiger Gleitkommawert").arg(text));
        }
    }

    // The comma is the separator whatever the program's or the C library's
    // locale says; under a locale with '.' the point is still refused.
    void commaWhateverTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
        QTest::newRow("C") << QLocale::c();
    }

    void commaWhateverTheLocale()
    {
        QFETCH(QLocale, locale);
        const QLocale before;
        const std::string cBefore = std::setlocale(LC_ALL, nullptr);
        QLocale::setDefault(locale);
        std::setlocale(LC_ALL, "C.UTF-8");
        const auto comma = parseCommaNumber(QStringLiteral("2,5"));
        const auto point = parseCommaNumber(QStringLiteral("2.5"));
        const QString shown = formatReadout(-1234.56);
        QLocale::setDefault(before);
        std::setlocale(LC_ALL, cBefore.c_str());

        QVERIFY(comma.has_value());
        QCOMPARE(*comma, 2.5);
        QVERIFY(!point.has_value());
        QCOMPARE(shown, QStringLiteral("-1234,6"));
    }

    void generalNumber_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("expected");
        QTest::newRow("60") << 60.0 << QChar(u',') << QStringLiteral("60");
        QTest::newRow("0") << 0.0 << QChar(u',') << QStringLiteral("0");
        QTest::newRow("-0") << -0.0 << QChar(u',') << QStringLiteral("0");
        QTest::newRow("166.67 comma") << 166.67 << QChar(u',') << QStringLiteral("166,67");
        QTest::newRow("166.67 point") << 166.67 << QChar(u'.') << QStringLiteral("166.67");
        QTest::newRow("binary noise") << 8571 * 0.01 << QChar(u',') << QStringLiteral("85,71");
        QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << QChar(u'.') << QStringLiteral("0.3");
        QTest::newRow("negative") << -2.5 << QChar(u',') << QStringLiteral("-2,5");
        QTest::newRow("large") << 1234567.5 << QChar(u',') << QStringLiteral("1234567,5");
    }

    void generalNumber()
    {
        QFETCH(double, value);
        QFETCH(QChar, separator);
        QFETCH(QString, expected);
        QCOMPARE(generalNumberFormat(value, separator), expected);
    }

    void factorLabel_data()
    {
        QTest::addColumn<double>("factor");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("expected");
        QTest::newRow("60") << 600.0 / 10 << QChar(u',') << QStringLiteral("60");
        QTest::newRow("70") << 350.0 / 5 << QChar(u'.') << QStringLiteral("70");
        QTest::newRow("600/7 comma") << 600.0 / 7 << QChar(u',') << QStringLiteral("85,71");
        QTest::newRow("600/7 point") << 600.0 / 7 << QChar(u'.') << QStringLiteral("85.71");
        QTest::newRow("350/3") << 350.0 / 3 << QChar(u',') << QStringLiteral("116,67");
        QTest::newRow("negative") << -600.0 / 7 << QChar(u',') << QStringLiteral("-85,71");
        QTest::newRow("1/3") << 1.0 / 3 << QChar(u',') << QStringLiteral("0,33");
        // Rounding would show 0 for a factor that is not 0: three significant digits instead.
        QTest::newRow("one in three hundred") << 100.0 / 30000 << QChar(u',') << QStringLiteral("0,00333");
        QTest::newRow("negative tiny") << -100.0 / 30000 << QChar(u'.') << QStringLiteral("-0.00333");
        QTest::newRow("0.005 rounds to 0.01") << 0.005 << QChar(u',') << QStringLiteral("0,01");
        QTest::newRow("zero") << 0.0 << QChar(u',') << QStringLiteral("0");
    }

    void factorLabel()
    {
        QFETCH(double, factor);
        QFETCH(QChar, separator);
        QFETCH(QString, expected);
        QCOMPARE(factorLabelText(factor, separator), expected);
    }

    void factors_data()
    {
        QTest::addColumn<QString>("xdiff");
        QTest::addColumn<QString>("ydiff");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("faulty");
        QTest::addColumn<double>("xfakt");
        QTest::addColumn<double>("yfakt");
        // Points: origin (10, 200), x1 at 110, y1 at 50: 100 and 150 view units.
        QTest::newRow("usable") << "50" << "-1,5" << int(FactorComputation::Done) << 0 << 2.0 << -100.0;
        QTest::newRow("x zero") << "0" << "3" << int(FactorComputation::ZeroDifference) << 1 << 0.0 << 0.0;
        QTest::newRow("y zero") << "2" << "-0,0" << int(FactorComputation::ZeroDifference) << 2 << 0.0 << 0.0;
        QTest::newRow("x no number") << "-" << "3" << int(FactorComputation::XNotANumber) << 1 << 0.0 << 0.0;
        QTest::newRow("y no number") << "2" << "1,2,3" << int(FactorComputation::YNotANumber) << 2 << 0.0 << 0.0;
        QTest::newRow("y too small") << "2" << "1e-320" << int(FactorComputation::TooSmall) << 2 << 0.0 << 0.0;
    }

    void factors()
    {
        QFETCH(QString, xdiff);
        QFETCH(QString, ydiff);
        QFETCH(int, outcome);
        const FactorComputation f = computeFactors(10, 200, 110, 50, xdiff, ydiff);
        QCOMPARE(int(f.outcome), outcome);
        QTEST(f.faulty, "faulty");
        if (f.outcome == FactorComputation::Done) {
            QTEST(f.xfakt, "xfakt");
            QTEST(f.yfakt, "yfakt");
            const Calibration c{10, 200, f.xfakt, f.yfakt};
            QVERIFY(c.valid());
            QCOMPARE(c.diagramX(60), 25.0);
            QCOMPARE(c.diagramY(100), -1.0);
        }
    }
};

KUVARO_CORE_TEST_MAIN(TestCalibrationMath)
#include "tst_calibrationmath.moc"
