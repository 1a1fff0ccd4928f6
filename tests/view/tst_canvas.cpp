// The pixel rules of the drawing surface: move-to paints nothing, line-to
// paints up to but not including its end point, pixels outside are skipped, and
// a wide pen spreads across the stroke only.

#include "common/Pictures.h"
#include "common/CoreTestMain.h"
#include "view/Canvas.h"

#include <QImage>
#include <QSet>

#include <algorithm>
#include <cmath>

using namespace kuvaro;
using kuvaro::test::pixelRect;

namespace {

const QRgb Paper = qRgb(250, 250, 240);

QImage paper(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Paper);
    return img;
}

// The pixels that no longer show the paper.
QSet<QPoint> painted(const QImage& img)
{
    QSet<QPoint> out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != Paper)
                out.insert(QPoint(x, y));
    return out;
}

QString describe(const QSet<QPoint>& s)
{
    QList<QPoint> l(s.begin(), s.end());
    std::sort(l.begin(), l.end(), [](QPoint a, QPoint b) { return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x(); });
    QStringList parts;
    for (QPoint p : l)
        parts << QStringLiteral("(%1,%2)").arg(p.x()).arg(p.y());
    return parts.join(u' ');
}

} // namespace

class TestCanvas : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void moveToPaintsNothing()
    {
        QImage img = paper(10, 10);
        TCanvas c(&img);
        c.PenColor = clBlack;
        c.MoveTo(3, 4);
        c.MoveTo(7, 1);
        QVERIFY(painted(img).isEmpty());
        QCOMPARE(c.PenPos(), QPoint(7, 1));
    }

    void lineToPixels_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QSet<QPoint>>("expected");
        QTest::newRow("right") << QPoint(2, 5) << QPoint(6, 5) << pixelRect(2, 5, 5, 5);
        QTest::newRow("left") << QPoint(6, 5) << QPoint(2, 5) << pixelRect(3, 5, 6, 5);
        QTest::newRow("down") << QPoint(4, 1) << QPoint(4, 4) << pixelRect(4, 1, 4, 3);
        QTest::newRow("up") << QPoint(4, 4) << QPoint(4, 1) << pixelRect(4, 2, 4, 4);
        QTest::newRow("one step") << QPoint(3, 3) << QPoint(4, 3) << pixelRect(3, 3, 3, 3);
        QTest::newRow("zero length") << QPoint(3, 3) << QPoint(3, 3) << QSet<QPoint>();
        QTest::newRow("diagonal down-right")
            << QPoint(0, 0) << QPoint(4, 4) << QSet<QPoint>{{0, 0}, {1, 1}, {2, 2}, {3, 3}};
        QTest::newRow("diagonal up-left")
            << QPoint(8, 8) << QPoint(5, 5) << QSet<QPoint>{{8, 8}, {7, 7}, {6, 6}};
        QTest::newRow("diagonal up-right")
            << QPoint(1, 6) << QPoint(4, 3) << QSet<QPoint>{{1, 6}, {2, 5}, {3, 4}};
        // Clipping: only the pixels inside the 10 x 10 picture are painted.
        QTest::newRow("from outside left") << QPoint(-3, 2) << QPoint(4, 2) << pixelRect(0, 2, 3, 2);
        QTest::newRow("to outside right") << QPoint(7, 2) << QPoint(14, 2) << pixelRect(7, 2, 9, 2);
        QTest::newRow("from outside top") << QPoint(9, -5) << QPoint(9, 2) << pixelRect(9, 0, 9, 1);
        QTest::newRow("wholly outside") << QPoint(-5, -1) << QPoint(20, -1) << QSet<QPoint>();
        QTest::newRow("crossing the corner")
            << QPoint(-2, 12) << QPoint(12, -2) << QSet<QPoint>{{1, 9}, {2, 8}, {3, 7}, {4, 6}, {5, 5},
                                                                {6, 4}, {7, 3}, {8, 2}, {9, 1}};
    }

    void lineToPixels()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QSet<QPoint>, expected);
        QImage img = paper(10, 10);
        TCanvas c(&img);
        c.PenColor = clBlack;
        c.MoveTo(from.x(), from.y());
        c.LineTo(to.x(), to.y());
        const QSet<QPoint> got = painted(img);
        QVERIFY2(got == expected, qPrintable(describe(got)));
        QCOMPARE(c.PenPos(), to);
        for (QPoint p : got)
            QCOMPARE(img.pixel(p), qRgb(0, 0, 0));
    }

    // A steep or shallow line has one pixel per step of its long axis, each
    // within half a pixel of the exact line, from the start up to the end.
    void slantedLinesFollowTheLine_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::newRow("shallow") << QPoint(1, 2) << QPoint(30, 9);
        QTest::newRow("shallow backwards") << QPoint(30, 9) << QPoint(1, 2);
        QTest::newRow("steep") << QPoint(5, 1) << QPoint(9, 30);
        QTest::newRow("steep up") << QPoint(20, 28) << QPoint(11, 3);
    }

    void slantedLinesFollowTheLine()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QImage img = paper(32, 32);
        TCanvas c(&img);
        c.MoveTo(from.x(), from.y());
        c.LineTo(to.x(), to.y());
        const QSet<QPoint> got = painted(img);
        const int dx = to.x() - from.x(), dy = to.y() - from.y();
        const bool shallow = std::abs(dx) >= std::abs(dy);
        const int steps = shallow ? std::abs(dx) : std::abs(dy);
        QCOMPARE(got.size(), steps);
        QVERIFY(got.contains(from));
        QVERIFY(!got.contains(to));
        for (QPoint p : got) {
            if (shallow) {
                const double ideal = from.y() + double(p.x() - from.x()) * dy / dx;
                QVERIFY2(std::abs(p.y() - ideal) <= 0.5, qPrintable(describe({p})));
            } else {
                const double ideal = from.x() + double(p.y() - from.y()) * dx / dy;
                QVERIFY2(std::abs(p.x() - ideal) <= 0.5, qPrintable(describe({p})));
            }
        }
    }

    void consecutiveLinesJoin()
    {
        QImage img = paper(10, 10);
        TCanvas c(&img);
        c.MoveTo(1, 1);
        c.LineTo(5, 1);
        c.LineTo(5, 4);
        // The corner is painted by the second line, the last end point by nobody.
        QCOMPARE(painted(img), pixelRect(1, 1, 5, 1) | pixelRect(5, 1, 5, 3));
    }

    void penColourIsBbggrr_data()
    {
        QTest::addColumn<uint>("colour");
        QTest::addColumn<QRgb>("pixel");
        QTest::newRow("red") << uint(0x0000FF) << qRgb(255, 0, 0);
        QTest::newRow("blue") << uint(0xFF0000) << qRgb(0, 0, 255);
        QTest::newRow("green") << uint(clGreen) << qRgb(0, 128, 0);
        QTest::newRow("maroon") << uint(clMaroon) << qRgb(128, 0, 0);
        QTest::newRow("black") << uint(clBlack) << qRgb(0, 0, 0);
    }

    void penColourIsBbggrr()
    {
        QFETCH(uint, colour);
        QFETCH(QRgb, pixel);
        QImage img = paper(4, 4);
        TCanvas c(&img);
        c.PenColor = colour;
        c.MoveTo(0, 0);
        c.LineTo(2, 0);
        QCOMPARE(img.pixel(0, 0), pixel);
        QCOMPARE(img.pixel(1, 0), pixel);
    }

    // Width 3 spreads across the stroke only: the ends stay where a one-pixel
    // pen would end, so the magnifier's crosshair leaves its centre free.
    void widePen_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QSet<QPoint>>("expected");
        QTest::newRow("left arm") << QPoint(91, 100) << QPoint(97, 100) << pixelRect(91, 99, 96, 101);
        QTest::newRow("right arm") << QPoint(103, 100) << QPoint(109, 100) << pixelRect(103, 99, 108, 101);
        QTest::newRow("upper arm") << QPoint(100, 91) << QPoint(100, 97) << pixelRect(99, 91, 101, 96);
        QTest::newRow("lower arm") << QPoint(100, 103) << QPoint(100, 109) << pixelRect(99, 103, 101, 108);
        QTest::newRow("clipped at the top") << QPoint(10, 0) << QPoint(14, 0) << pixelRect(10, 0, 13, 1);
        QTest::newRow("clipped at the left") << QPoint(0, 20) << QPoint(0, 17) << pixelRect(0, 18, 1, 20);
    }

    void widePen()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QSet<QPoint>, expected);
        QImage img = paper(198, 198);
        TCanvas c(&img);
        c.PenWidth = 3;
        c.MoveTo(from.x(), from.y());
        c.LineTo(to.x(), to.y());
        const QSet<QPoint> got = painted(img);
        QVERIFY2(got == expected, qPrintable(describe(got)));
    }

    void paintedPiecesCoverEveryPaintedPixel()
    {
        QImage img = paper(120, 120);
        TCanvas c(&img);
        QList<QRect> pieces;
        c.Painted = [&](const QRect& r) { pieces.append(r); };
        c.MoveTo(0, 0);
        c.LineTo(100, 90);
        c.MoveTo(5, 110);
        c.LineTo(9, 110);
        const QSet<QPoint> got = painted(img);
        QCOMPARE(got.size(), 104);
        for (const QPoint& p : got) {
            const bool covered = std::any_of(pieces.begin(), pieces.end(), [&](const QRect& r) { return r.contains(p); });
            QVERIFY2(covered, qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
        }
        // Short pieces: a diagonal names a narrow band, not its bounding box.
        for (const QRect& r : pieces)
            QVERIFY(r.width() <= TCanvas::PieceLength && r.height() <= TCanvas::PieceLength);
        QCOMPARE(pieces.last(), QRect(5, 110, 4, 1));

        pieces.clear();
        c.MoveTo(-4, 1);
        c.LineTo(-1, 1);
        QVERIFY(pieces.isEmpty());
    }
};

KUVARO_CORE_TEST_MAIN(TestCanvas)
#include "tst_canvas.moc"
