// The marks drawn into the working bitmap: calibration crosses, their redraw on
// the axes through the origin, and the polyline with its redraw from the list.

#include "app/Controls.h"
#include "common/FormDriver.h"
#include "common/Pictures.h"
#include "common/ProgramTexts.h"
#include "common/TestMain.h"
#include "view/PictureView.h"
#include "view/ViewMarks.h"

#include <QLabel>
#include <QSet>

#include <memory>

using namespace kuvaro;
using namespace kuvaro::test;

namespace {

// The plus sign around (cx, cy): three pixels on each side, the centre left out.
QSet<QPoint> crossPixels(int cx, int cy, QSize bounds)
{
    QSet<QPoint> out;
    for (int k = 1; k <= 3; ++k)
        for (QPoint p : {QPoint(cx - k, cy), QPoint(cx + k, cy), QPoint(cx, cy - k), QPoint(cx, cy + k)})
            if (QRect(QPoint(0, 0), bounds).contains(p))
                out.insert(p);
    return out;
}

} // namespace

class TestOverlay : public QObject
{
    Q_OBJECT

    std::unique_ptr<FormDriver> d;
    TMainForm* f = nullptr;

    // Scale 0.5: an 800 x 400 picture in a frame with an inner 400 x 200.
    void loadAtHalfScale()
    {
        d = std::make_unique<FormDriver>(QSize(412, 212));
        f = d->form;
        d->load(QSize(800, 400));
        QCOMPARE(f->DisplayScale, 0.5);
    }

    // Scale 2: the 739 x 300 picture in the large frame.
    void loadAtScaleTwo()
    {
        d = std::make_unique<FormDriver>();
        f = d->form;
        d->load();
        QCOMPARE(f->DisplayScale, 2.0);
    }

private Q_SLOTS:
    void cleanup() { FormDriver::finish(d); }

    // Below about 5 view pixels per cross the view draws the marks again in view
    // pixels, on top of the display copy and not into the working bitmap.
    void marksInViewPixelsAtSmallScales_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<bool>("drawn");
        QTest::newRow("scale 0.5") << QSize(800, 400) << true;
        QTest::newRow("scale 0.1") << QSize(4000, 2000) << true;
        QTest::newRow("scale 0.8") << QSize(500, 250) << false;
    }

    void marksInViewPixelsAtSmallScales()
    {
        QFETCH(QSize, picture);
        QFETCH(bool, drawn);
        d = std::make_unique<FormDriver>(QSize(412, 212));
        f = d->form;
        d->load(picture);
        d->calibrate("10", "5", {40, 150}, {300, 150}, {40, 20});
        d->left(200, 100);
        const auto shown = [&] { return f->Image1->grab().toImage().convertToFormat(QImage::Format_RGB32); };
        const QImage display = f->Image1->displayImage().convertToFormat(QImage::Format_RGB32);
        const QImage withMarks = shown();
        QCOMPARE(withMarks == display, !drawn);
        if (drawn) {
            // An arm of the origin's cross and the captured point's dot, in view pixels.
            const QRect origin = viewMarkRect({f->ViewToPixel(40), f->ViewToPixel(150)}, f->DisplayScale);
            QCOMPARE(withMarks.pixel(origin.center() - QPoint(2, 0)), Green);
            const QRect dot = viewMarkRect({f->ViewToPixel(200), f->ViewToPixel(100)}, f->DisplayScale);
            QCOMPARE(withMarks.pixel(dot.center() + QPoint(1, 1)), qRgb(0, 0, 0));
        }
        f->ResetAllesSBtnClick();
        QCOMPARE(shown(), f->Image1->displayImage().convertToFormat(QImage::Format_RGB32));
    }


    void crossAtHalfScale()
    {
        loadAtHalfScale();
        f->Image1->Canvas.PenColor = clMaroon;
        f->Image1->Canvas.PenWidth = 2;
        f->DrawCalibrationCross(101, 51);
        QCOMPARE(f->MarkerIx, 202);
        QCOMPARE(f->MarkerIy, 102);
        QSet<QPoint> expected;
        for (int x : {199, 200, 201, 203, 204, 205})
            expected.insert(QPoint(x, 102));
        for (int y : {99, 100, 101, 103, 104, 105})
            expected.insert(QPoint(202, y));
        const QSet<QPoint> got = changedPixels(d->picture, f->Image1->Picture);
        QCOMPARE(got, expected);
        for (QPoint p : got)
            QCOMPARE(f->Image1->Picture.pixel(p), Maroon);
        // The pen width is 1 again, the colour is left, the position ends below the centre.
        QCOMPARE(f->Image1->Canvas.PenWidth, 1);
        QCOMPARE(f->Image1->Canvas.PenColor, clMaroon);
        QCOMPARE(f->Image1->Canvas.PenPos(), QPoint(202, 106));
    }

    void originPressAtHalfScale()
    {
        loadAtHalfScale();
        d->right(101, 51);
        QCOMPARE(changedPixels(d->picture, f->Image1->Picture), crossPixels(202, 102, QSize(800, 400)));
        QCOMPARE(f->Image1->Picture.pixel(199, 102), Green);
    }

    void crossAtTheBorder_data()
    {
        QTest::addColumn<QPoint>("view");
        QTest::addColumn<QPoint>("centre");
        QTest::newRow("top-left corner") << QPoint(0, 0) << QPoint(0, 0);
        QTest::newRow("one in from the corner") << QPoint(1, 1) << QPoint(2, 2);
        QTest::newRow("bottom-right") << QPoint(399, 199) << QPoint(798, 398);
        QTest::newRow("left edge") << QPoint(0, 150) << QPoint(0, 300);
        QTest::newRow("two from the top") << QPoint(150, 1) << QPoint(300, 2);
        // A position outside the view (the mouse captured by the view) paints what falls inside.
        QTest::newRow("beyond the right edge") << QPoint(401, 100) << QPoint(802, 200);
        QTest::newRow("far outside") << QPoint(-50, -50) << QPoint(-100, -100);
    }

    void crossAtTheBorder()
    {
        QFETCH(QPoint, view);
        QFETCH(QPoint, centre);
        loadAtHalfScale();
        f->Image1->Canvas.PenColor = clBlue;
        f->DrawCalibrationCross(view.x(), view.y());
        QCOMPARE(f->MarkerIx, centre.x());
        QCOMPARE(f->MarkerIy, centre.y());
        QCOMPARE(changedPixels(d->picture, f->Image1->Picture), crossPixels(centre.x(), centre.y(), QSize(800, 400)));
    }

    // Only X1 and Y1 are kept: after a redraw the axis crosses stand on the
    // axes through the origin, and the marks at the pressed positions are gone.
    void redrawPutsCrossesOnTheAxes()
    {
        loadAtScaleTwo();
        d->calibrate("10", "5", {100, 400}, {700, 380}, {120, 50});
        QCOMPARE(f->Image1->Picture.pixel(349, 190), Maroon);
        QCOMPARE(f->Image1->Picture.pixel(59, 25), Blue);
        f->Image1->Canvas.PenColor = clBlue;

        f->RedrawCalibrationCrosses();
        const QSize size(739, 300);
        QImage expected = d->picture;
        for (QPoint p : crossPixels(50, 200, size))
            expected.setPixel(p, Green);
        for (QPoint p : crossPixels(350, 200, size))
            expected.setPixel(p, Maroon);
        for (QPoint p : crossPixels(50, 25, size))
            expected.setPixel(p, Blue);
        QVERIFY(f->Image1->Picture == expected);
        QCOMPARE(f->Image1->Canvas.PenColor, clBlack);
        // The last cross drawn was the Y-axis cross.
        QCOMPARE(f->MarkerIx, 50);
        QCOMPARE(f->MarkerIy, 25);
    }

    void redrawWithoutCompleteCalibrationOnlyRestores_data()
    {
        QTest::addColumn<int>("presses");
        QTest::newRow("none") << 0;
        QTest::newRow("origin") << 1;
        QTest::newRow("origin and X axis") << 2;
    }

    void redrawWithoutCompleteCalibrationOnlyRestores()
    {
        QFETCH(int, presses);
        loadAtScaleTwo();
        const QPoint points[] = {{100, 400}, {700, 380}};
        for (int i = 0; i < presses; ++i)
            d->right(points[i].x(), points[i].y());
        f->Image1->Canvas.PenColor = 0x123456;
        f->RedrawCalibrationCrosses();
        QVERIFY(f->Image1->Picture == d->picture);
        QCOMPARE(f->Image1->Canvas.PenColor, TColor(0x123456));
    }

    void polylinePoint()
    {
        loadAtScaleTwo();
        f->DrawPolylinePoint(100, 50, 0x0000FF, true);
        QCOMPARE(changedPixels(d->picture, f->Image1->Picture), QSet<QPoint>{QPoint(100, 50)});
        QCOMPARE(f->Image1->Picture.pixel(100, 50), qRgb(255, 0, 0));
        QCOMPARE(f->Image1->Canvas.PenPos(), QPoint(100, 50));
        QCOMPARE(f->Image1->Canvas.PenColor, clBlack);

        // The same pixel again, joined: nothing is painted.
        QImage before = f->Image1->Picture;
        f->DrawPolylinePoint(100, 50, 0x00FF00, false);
        QVERIFY(f->Image1->Picture == before);

        // Joined to a new pixel: from the previous point up to, not including, the new one.
        f->DrawPolylinePoint(104, 50, 0x00FF00, false);
        QCOMPARE(changedPixels(before, f->Image1->Picture),
                 QSet<QPoint>({QPoint(100, 50), QPoint(101, 50), QPoint(102, 50), QPoint(103, 50)}));
        QCOMPARE(f->Image1->Picture.pixel(100, 50), qRgb(0, 255, 0));
        QCOMPARE(f->Image1->Canvas.PenPos(), QPoint(104, 50));
        QCOMPARE(f->Image1->Canvas.PenColor, clBlack);

        // A first point starts anew, with no line from the last one.
        before = f->Image1->Picture;
        f->DrawPolylinePoint(200, 200, 0xFF0000, true);
        QCOMPARE(changedPixels(before, f->Image1->Picture), QSet<QPoint>{QPoint(200, 200)});
    }

    // The redraw from the list gives exactly the pixels of drawing the points
    // one by one, each segment in the colour of the row at its end.
    void redrawEqualsPointByPoint_data()
    {
        QTest::addColumn<QList<QPoint>>("points");
        QTest::addColumn<QList<uint>>("colours");
        QTest::newRow("two points") << QList<QPoint>{{10, 10}, {40, 20}} << QList<uint>{0x0000FF, 0xFF0000};
        QTest::newRow("diagonals and colours")
            << QList<QPoint>{{100, 100}, {150, 150}, {200, 100}, {150, 50}, {100, 100}, {300, 290}}
            << QList<uint>{0, 0x0000FF, 0x00FF00, 0xFF0000, 0x808080, 0x00FFFF};
        QTest::newRow("steep and shallow")
            << QList<QPoint>{{5, 290}, {6, 10}, {700, 11}, {699, 200}, {20, 199}}
            << QList<uint>{0x111111, 0x222222, 0x333333, 0x444444, 0x555555};
        QTest::newRow("repeated pixel in the middle")
            << QList<QPoint>{{30, 30}, {60, 30}, {60, 30}, {60, 60}} << QList<uint>{0, 0x0000FF, 0x00FF00, 0xFF0000};
        QTest::newRow("partly outside the picture")
            << QList<QPoint>{{700, 250}, {760, 320}, {600, 290}} << QList<uint>{0, 0x0000FF, 0xFF0000};
    }

    void redrawEqualsPointByPoint()
    {
        QFETCH(QList<QPoint>, points);
        QFETCH(QList<uint>, colours);
        loadAtScaleTwo();
        for (int i = 0; i < points.size(); ++i) {
            f->DrawPolylinePoint(points[i].x(), points[i].y(), colours[i], i == 0);
            f->AppendPointRow({QString::number(i + 1), QStringLiteral("   0,0"), QStringLiteral("   0,0"),
                               QString::number(points[i].x()), QString::number(points[i].y()),
                               QString::number(colours[i])});
        }
        const QImage drawn = f->Image1->Picture;

        f->RestoreWorkingBitmap();
        f->Image1->Canvas.MoveTo(5, 5);
        f->RedrawPolyline();
        QVERIFY(f->Image1->Picture == drawn);
        // The next point joins the last row.
        QCOMPARE(f->Image1->Canvas.PenPos(), points.last());
        QCOMPARE(f->CursorIx, points.last().x());
        QCOMPARE(f->CursorIy, points.last().y());
        QCOMPARE(f->LineColor, TColor(colours.last()));
        QCOMPARE(f->Image1->Canvas.PenColor, clBlack);
    }

    // The view shows the marks: the displayed copy is rebuilt where the canvas painted.
    void viewShowsTheMarks()
    {
        loadAtScaleTwo();
        d->right(100, 400);
        const QImage& shown = f->Image1->displayImage();
        // Pixel (49, 200) is the view square from (98, 400) to (99, 401).
        for (QPoint v : {QPoint(98, 400), QPoint(99, 401)})
            QCOMPARE(shown.pixel(v), Green);
        QCOMPARE(shown.pixel(100, 400), d->picture.pixel(50, 200));
        f->ResetAllesSBtnClick();
        QCOMPARE(f->Image1->displayImage().pixel(98, 400), d->picture.pixel(49, 200));
    }
};

KUVARO_TEST_MAIN(TestOverlay)
#include "tst_overlay.moc"
