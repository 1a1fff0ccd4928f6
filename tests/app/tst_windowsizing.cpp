// The main window's size from the screen, and the build stamp.

#include "app/BuildStamp.h"
#include "app/WindowSizing.h"
#include "common/TestMain.h"

#include <QTest>

using namespace kuvaro;

class TestWindowSizing : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void geometry_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<QSize>("panel1");
        QTest::addColumn<int>("panel4Width");
        QTest::addColumn<int>("listHeight");
        QTest::newRow("1920x1080") << QSize(1920, 1080) << QSize(1728, 972) << QSize(1490, 807) << 1696 << 470;
        // 1229.4 and 691.2 are truncated, not rounded.
        QTest::newRow("1366x768") << QSize(1366, 768) << QSize(1229, 691) << QSize(991, 526) << 1197 << 189;
        QTest::newRow("2560x1440") << QSize(2560, 1440) << QSize(2304, 1296) << QSize(2066, 1131) << 2272 << 794;
        // 1279 * 0.9 = 1151.1; 1023 * 0.9 = 920.7 truncates to 920.
        QTest::newRow("1279x1023") << QSize(1279, 1023) << QSize(1151, 920) << QSize(913, 755) << 1119 << 418;
    }
    void geometry()
    {
        QFETCH(QSize, screen);
        const MainWindowGeometry g = mainWindowGeometry(screen);
        QFETCH(QSize, outer);
        QCOMPARE(g.outer, outer);
        QFETCH(QSize, panel1);
        QCOMPARE(g.panel1, panel1);
        QFETCH(int, panel4Width);
        QCOMPARE(g.panel4Width, panel4Width);
        QFETCH(int, listHeight);
        QCOMPARE(g.listViewHeight, listHeight);
        // The toolbar and the list end where the picture frame ends.
        QCOMPARE(Panel4Left + g.panel4Width, Panel1Left + g.panel1.width());
        QCOMPARE(ListView1Top + g.listViewHeight, Panel1Top + g.panel1.height());
    }

    void screenChoice_data()
    {
        QTest::addColumn<QList<QSize>>("monitors");
        QTest::addColumn<QSize>("primary");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("none listed") << QList<QSize>{} << QSize(1366, 768) << QSize(1366, 768);
        QTest::newRow("one") << QList<QSize>{QSize(1920, 1080)} << QSize(1920, 1080) << QSize(1920, 1080);
        // With two or more, the first of the list counts even when another is primary.
        QTest::newRow("two, primary second") << QList<QSize>{QSize(1280, 1024), QSize(2560, 1440)}
                                             << QSize(2560, 1440) << QSize(1280, 1024);
        QTest::newRow("three") << QList<QSize>{QSize(800, 600), QSize(1920, 1080), QSize(1024, 768)}
                               << QSize(1920, 1080) << QSize(800, 600);
    }
    void screenChoice()
    {
        QFETCH(QList<QSize>, monitors);
        QFETCH(QSize, primary);
        QFETCH(QSize, expected);
        QCOMPARE(sizingScreen(monitors, primary), expected);
    }

    void buildStamp_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("expected");
        const QString title = QStringLiteral("  Kuvaro  26.01 ");
        QTest::newRow("example") << "Feb 28 2026" << "17:43:47" << title + " 28.02.2026 17:43:47 ";
        // The compiler pads single-digit days with a blank.
        QTest::newRow("padded day") << "Dec  9 2026" << "05:41:13" << title + " 09.12.2026 05:41:13 ";
        QTest::newRow("january") << "Jan  1 2027" << "00:00:00" << title + " 01.01.2027 00:00:00 ";
        QTest::newRow("unknown month") << "Foo 15 2026" << "23:59:59" << title + " 15.00.2026 23:59:59 ";
    }
    void buildStamp()
    {
        QFETCH(QString, date);
        QFETCH(QString, time);
        const QString stamp = makeBuildStamp(QStringLiteral("  Kuvaro  26.01 "), date.toLatin1().constData(),
                                             time.toLatin1().constData());
        QFETCH(QString, expected);
        QCOMPARE(stamp, expected);
    }

    void buildStampFitsItsBuffer()
    {
        const QString longTitle(60, u'x');
        const QString stamp = makeBuildStamp(longTitle, "Feb 28 2026", "17:43:47");
        QCOMPARE(stamp.size(), 49);
        QCOMPARE(stamp, longTitle.left(49));
    }

    void monthNames()
    {
        const QStringList names = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(monthNumber(names[i]), i + 1);
        QCOMPARE(monthNumber(QStringLiteral("jan")), 0); // exact comparison
        QCOMPARE(monthNumber(QStringLiteral("Mär")), 0);
    }
};

KUVARO_TEST_MAIN(TestWindowSizing)
#include "tst_windowsizing.moc"
