// The signed trapezoid area from the list texts, the area message, and the
// failure for a text that is not a number.

#include "core/Errors.h"
#include "common/CoreTestMain.h"
#include "results/Area.h"

#include <QLocale>

#include <clocale>

using namespace kuvaro;

using Points = QList<XYText>;
Q_DECLARE_METATYPE(Points)

namespace {

const Points WorkedExample = {{"   0,0", "   5,0"}, {"  10,0", "   7,5"}, {"  20,0", "   6,0"}};

Points reversed(const Points& p)
{
    return Points(p.rbegin(), p.rend());
}

// The text that trapezoidArea fails with, or "(none)" when it does not fail.
QString failingText(const Points& points)
{
    try {
        trapezoidArea(points);
    } catch (const KuvaroError& e) {
        return e.message();
    }
    return QStringLiteral("(none)");
}

} // namespace

class TestArea : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void area_data()
    {
        QTest::addColumn<Points>("points");
        QTest::addColumn<double>("expected");
        QTest::newRow("worked example") << WorkedExample << 130.0;
        QTest::newRow("worked example reversed") << reversed(WorkedExample) << -130.0;
        QTest::newRow("one trapezoid") << Points{{"   0,0", "   4,0"}, {"   3,0", "   2,0"}} << 9.0;
        QTest::newRow("same x") << Points{{"   5,0", "   1,0"}, {"   5,0", "   9,0"}} << 0.0;
        QTest::newRow("same x below the axis") << Points{{"   5,0", "  -1,0"}, {"   5,0", "  -9,0"}} << 0.0;
        QTest::newRow("below the axis") << Points{{"   0,0", "  -2,0"}, {"   4,0", "  -2,0"}} << -8.0;
        QTest::newRow("back and forth")
            << Points{{"   0,0", "   1,0"}, {"   4,0", "   3,0"}, {"   0,0", "   1,0"}} << 0.0;
        QTest::newRow("crossing the axis") << Points{{"   0,0", "  -2,0"}, {"   2,0", "   2,0"}} << 0.0;
        QTest::newRow("one decimal") << Points{{"   0,5", "   0,1"}, {"   1,0", "   0,3"}} << 0.1;
        QTest::newRow("wide values")
            << Points{{"-12345,6", "   0,0"}, {"12345,6", "   2,0"}} << 24691.2;
        QTest::newRow("sign, exponent, trailing blanks")
            << Points{{"+1,0E1 ", "1e0"}, {"2e+1", "  3,0  "}} << 20.0;
        QTest::newRow("no digit before the comma") << Points{{",5", "2"}, {"1,5", ",0"}} << 1.0;
        // Near the end of the range, but every step finite.
        QTest::newRow("huge but finite") << Points{{"   0,0", "1E300"}, {"   2,0", "1E300"}} << 2e300;
    }

    void area()
    {
        QFETCH(Points, points);
        QFETCH(double, expected);
        QCOMPARE(trapezoidArea(points), expected);
    }

    void readsTheSameUnderEveryLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("German") << QStringLiteral("de_DE");
        QTest::newRow("English, point as separator") << QStringLiteral("en_US");
        QTest::newRow("C") << QStringLiteral("C");
    }

    void readsTheSameUnderEveryLocale()
    {
        QFETCH(QString, locale);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        // The C library's numeric locale too, where the system has it.
        const char* cBefore = std::setlocale(LC_NUMERIC, nullptr);
        const std::string cSaved = cBefore ? cBefore : "C";
        std::setlocale(LC_NUMERIC, (locale + QStringLiteral(".UTF-8")).toLatin1().constData());

        const double area = trapezoidArea({{"   0,0", "   7,5"}, {"   2,0", "   7,5"}});
        const QString message = areaMessage(-130.04);
        const QString pointText = failingText({{"   0,0", "   7.5"}, {"   2,0", "   7,5"}});

        std::setlocale(LC_NUMERIC, cSaved.c_str());
        QLocale::setDefault(before);
        QCOMPARE(area, 15.0);
        QCOMPARE(message, QStringLiteral("Die Fläche zwischen digitalisierter Polygonlinie und X-Achse beträgt  -130.0"));
        // A decimal point is never a separator in the list texts.
        QCOMPARE(pointText, QStringLiteral("'   7.5' ist kein gültiger Gleitkommawert"));
    }

    void message_data()
    {
        QTest::addColumn<double>("area");
        QTest::addColumn<QString>("tail");
        QTest::newRow("130") << 130.0 << QStringLiteral("beträgt  130.0");
        QTest::newRow("-130") << -130.0 << QStringLiteral("beträgt  -130.0");
        QTest::newRow("zero") << 0.0 << QStringLiteral("beträgt  0.0");
        QTest::newRow("rounded up") << 9.96 << QStringLiteral("beträgt  10.0");
        QTest::newRow("large") << 1234567.26 << QStringLiteral("beträgt  1234567.3");
    }

    void message()
    {
        QFETCH(double, area);
        QFETCH(QString, tail);
        const QString text = areaMessage(area);
        QCOMPARE(text, QStringLiteral("Die Fläche zwischen digitalisierter Polygonlinie und X-Achse ") + tail);
    }

    void failureOrder_data()
    {
        QTest::addColumn<Points>("points");
        QTest::addColumn<QString>("failing");
        // Each segment reads x_i, x_i+1, y_i, y_i+1 in this order.
        QTest::newRow("all four bad: x_i first") << Points{{"xa", "ya"}, {"xb", "yb"}} << QStringLiteral("xa");
        QTest::newRow("x_i+1 before y_i") << Points{{"1", "ya"}, {"xb", "yb"}} << QStringLiteral("xb");
        QTest::newRow("y_i before y_i+1") << Points{{"1", "ya"}, {"2", "yb"}} << QStringLiteral("ya");
        QTest::newRow("y_i+1 last") << Points{{"1", "2"}, {"3", "yb"}} << QStringLiteral("yb");
        QTest::newRow("second segment") << Points{{"1", "2"}, {"3", "4"}, {"5", "y!"}} << QStringLiteral("y!");
        QTest::newRow("row read in the first segment first")
            << Points{{"1", "2"}, {"3", "y1"}, {"x2", "6"}} << QStringLiteral("y1");
        QTest::newRow("empty text") << Points{{"1", ""}, {"3", "4"}} << QString();
        QTest::newRow("blanks only") << Points{{"1", "   "}, {"3", "4"}} << QStringLiteral("   ");
        QTest::newRow("two commas") << Points{{"1,2,3", "1"}, {"3", "4"}} << QStringLiteral("1,2,3");
        QTest::newRow("decimal point") << Points{{"1", "1"}, {"3.5", "4"}} << QStringLiteral("3.5");
        QTest::newRow("exponent without digits") << Points{{"1e", "1"}, {"3", "4"}} << QStringLiteral("1e");
    }

    void areaOutOfRange_data()
    {
        QTest::addColumn<Points>("points");
        QTest::newRow("x difference overflows") << Points{{"-1,7E308", "   1,0"}, {"1,7E308", "   1,0"}};
        QTest::newRow("y sum overflows") << Points{{"   0,0", "1,7E308"}, {"   1,0", "1,7E308"}};
        QTest::newRow("product overflows") << Points{{"   0,0", "1E200"}, {"1E200", "1E200"}};
        QTest::newRow("finite terms, infinite total")
            << Points{{"   0,0", "1E308"}, {"   1,0", "1E308"}, {"   2,0", "1E308"}, {"   3,0", "1E308"}};
        QTest::newRow("infinities cancel to nothing")
            << Points{{"   0,0", "1E200"}, {"1E200", "1E200"}, {"   0,0", "1E200"}};
    }

    void areaOutOfRange()
    {
        QFETCH(Points, points);
        QCOMPARE(failingText(points), QStringLiteral("Die Fläche übersteigt den darstellbaren Zahlenbereich"));
    }

    void failureOrder()
    {
        QFETCH(Points, points);
        QFETCH(QString, failing);
        const QString expected = QStringLiteral("'%1' ist kein gültiger Gleitkommawert").arg(failing);
        QCOMPARE(failingText(points), expected);
        // The error box adds the full stop.
        QCOMPARE(withFullStop(expected), expected + QStringLiteral("."));
    }
};

KUVARO_CORE_TEST_MAIN(TestArea)
#include "tst_area.moc"
