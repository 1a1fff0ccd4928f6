// The main window's size from the screen, and the build stamp.

#include "core/BuildStamp.h"
#include "core/WindowSizing.h"
#include "common/CoreTestMain.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QTest>

Q_DECLARE_METATYPE(kuvaro::BuildTime)

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
        QTest::addColumn<BuildTime>("time");
        QTest::addColumn<QString>("expected");
        const QString title = QStringLiteral("  Kuvaro  26.01 ");
        QTest::newRow("example") << BuildTime{2026, 2, 28, 17, 43, 47} << title + " 28.02.2026 17:43:47 ";
        QTest::newRow("two digits") << BuildTime{2026, 12, 9, 5, 4, 3} << title + " 09.12.2026 05:04:03 ";
        QTest::newRow("midnight") << BuildTime{2027, 1, 1, 0, 0, 0} << title + " 01.01.2027 00:00:00 ";
    }
    void buildStamp()
    {
        QFETCH(BuildTime, time);
        QFETCH(QString, expected);
        QCOMPARE(makeBuildStamp(QStringLiteral("  Kuvaro  26.01 "), time), expected);
    }

    void buildStampFitsItsBuffer()
    {
        const QString longTitle(60, u'x');
        const QString stamp = makeBuildStamp(longTitle, BuildTime{2026, 2, 28, 17, 43, 47});
        QCOMPARE(stamp.size(), 49);
        QCOMPARE(stamp, longTitle.left(49));
    }

    // This test program is stamped like the program: the time is the time of
    // linking, which is when the program file was written.
    void stampIsTheTimeOfLinking()
    {
        if (qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH"))
            QSKIP("a reproducible build stamps SOURCE_DATE_EPOCH");
        const auto t = linkTime();
        QVERIFY(t.has_value());
        const QDateTime linked(QDate(t->year, t->month, t->day), QTime(t->hour, t->minute, t->second));
        QVERIFY(linked.isValid());
        const QDateTime written = QFileInfo(QCoreApplication::applicationFilePath()).lastModified();
        QVERIFY2(qAbs(linked.secsTo(written)) <= 5,
                 qPrintable(linked.toString(Qt::ISODate) + QStringLiteral(" / ") + written.toString(Qt::ISODate)));
        QVERIFY(programBuildStamp(QStringLiteral("T")).startsWith(
            QStringLiteral("T %1").arg(linked.toString(QStringLiteral("dd.MM.yyyy")))));
    }
};

KUVARO_CORE_TEST_MAIN(TestWindowSizing)
#include "tst_windowsizing.moc"
