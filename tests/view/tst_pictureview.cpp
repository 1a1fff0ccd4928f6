// Fitting a picture into the view, the conversion view -> picture, and the
// display copy: each view pixel shows the picture pixels a click on it maps
// to, thin lines survive strong reduction, partial rebuilds and restores give
// the same display as a full rebuild, and a restore makes the working bitmap
// equal to the pristine one again.

#include "common/Pictures.h"
#include "common/TestMain.h"
#include "view/BmpCorpus.h"
#include "view/BmpReader.h"
#include "view/Downscale.h"
#include "view/Fit.h"
#include "view/PictureMemory.h"
#include "view/PictureView.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

using namespace kuvaro;
using kuvaro::test::firstDifference;

namespace {

// The picture pixel a view pixel maps to, worked out here the way the
// conversion is defined: the reciprocal first, then the product, truncated.
int spanStart(double scale, int v)
{
    const double reciprocal = 1.0 / scale;
    return int(reciprocal * v);
}

// A view over a picture, sized as loading sizes it.
struct ViewOf
{
    TPictureView view;
    ViewOf(const QImage& picture, double scale)
    {
        view.Picture = picture;
        view.setDisplayScale(scale);
        view.resize(fittedViewSize(picture.size(), scale));
        view.pictureReplaced();
    }
};

void paint(QImage& img, const QRect& r, QRgb colour)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            reinterpret_cast<QRgb*>(img.scanLine(y))[x] = colour;
}

} // namespace

class TestPictureView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { setPictureMemoryKind(PictureMemoryKind::Automatic); }

    void fit_data()
    {
        QTest::addColumn<QSize>("inner");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QSize>("view");
        const QSize inner(1478, 795);
        QTest::newRow("enlarged twice") << inner << QSize(739, 300) << 2.0 << QSize(1478, 600);
        QTest::newRow("both ratios equal: the width ratio") << inner << QSize(1478, 795) << 1.0 << QSize(1478, 795);
        QTest::newRow("much wider than high: by the width") << inner << QSize(4000, 100) << 1478.0 / 4000 << QSize(1478, 36);
        QTest::newRow("much higher than wide: by the height") << inner << QSize(100, 4000) << 795.0 / 4000 << QSize(19, 795);
        QTest::newRow("100 million pixels") << inner << QSize(40000, 2500) << 1478.0 / 40000 << QSize(1477, 92);
        QTest::newRow("one pixel") << inner << QSize(1, 1) << 795.0 << QSize(795, 795);
        // Still one view pixel where the product is below one.
        QTest::newRow("a single row") << inner << QSize(3000, 1) << 1478.0 / 3000 << QSize(1478, 1);
        QTest::newRow("a single column") << inner << QSize(1, 2000) << 795.0 / 2000 << QSize(1, 795);
    }

    void fit()
    {
        QFETCH(QSize, inner);
        QFETCH(QSize, picture);
        QFETCH(double, scale);
        QCOMPARE(fitScale(inner, picture), scale);
        QTEST(fittedViewSize(picture, scale), "view");
    }

    void viewToPixel_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("v");
        QTest::addColumn<int>("pixel");
        QTest::newRow("half: 101") << 0.5 << 101 << 202;
        QTest::newRow("half: 51") << 0.5 << 51 << 102;
        QTest::newRow("twice: truncated, not rounded") << 2.0 << 5 << 2;
        QTest::newRow("twice: 0") << 2.0 << 0 << 0;
        QTest::newRow("toward zero for negatives") << 2.0 << -3 << -1;
        QTest::newRow("a third: the reciprocal first") << 1.0 / 3 << 3 << 9;
        QTest::newRow("0.739 at the last view pixel") << 0.739 << 1477 << 1998;
        QTest::newRow("one to one") << 1.0 << 777 << 777;
    }

    void viewToPixel()
    {
        QFETCH(double, scale);
        QFETCH(int, v);
        QTEST(kuvaro::viewToPixel(scale, v), "pixel");
    }

    // The view pixels that show given picture pixels, against a search over all of them.
    void viewRange_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("pixels");
        for (double s : {1478.0 / 40000, 0.3, 0.5, 0.739, 1.0, 1.3, 2.0, 3.7})
            QTest::addRow("scale %g", s) << s << 997;
    }

    void viewRange()
    {
        QFETCH(double, scale);
        QFETCH(int, pixels);
        const int viewLength = int(pixels * scale);
        auto touches = [&](int v, int p0, int p1) {
            const PixelSpan s = pixelSpanOfView(scale, v, pixels);
            return s.first <= p1 && s.last > p0;
        };
        QRandomGenerator rng(42);
        for (int i = 0; i < 400; ++i) {
            const int a = int(rng.bounded(pixels)), b = int(rng.bounded(pixels));
            const int p0 = std::min(a, b), p1 = i % 3 ? std::max(a, b) : p0;
            int first = -1, last = -2;
            for (int v = 0; v < viewLength; ++v) {
                if (touches(v, p0, p1)) {
                    if (first < 0)
                        first = v;
                    last = v;
                }
            }
            const ViewRange r = viewRangeOfPixels(scale, p0, p1, viewLength, pixels);
            if (first < 0) {
                QVERIFY2(r.first > r.last, qPrintable(QStringLiteral("pixels %1..%2").arg(p0).arg(p1)));
            } else {
                QCOMPARE(r.first, first);
                QCOMPARE(r.last, last);
            }
        }
    }

    // Spans follow each other without gap or overlap, and each begins at the
    // pixel a click on its view pixel takes.
    void spans()
    {
        for (double scale : {1478.0 / 40000, 0.739, 1.0, 2.0}) {
            const int pixels = 2000, viewLength = int(pixels * scale);
            int expectedFirst = 0;
            for (int v = 0; v < viewLength; ++v) {
                const PixelSpan s = pixelSpanOfView(scale, v, pixels);
                QCOMPARE(s.first, std::min(spanStart(scale, v), pixels - 1));
                QVERIFY(s.last > s.first);
                if (scale < 1) {
                    QCOMPARE(s.first, expectedFirst);
                    expectedFirst = s.last;
                }
            }
        }
    }

    // Each view pixel shows the block of picture pixels that a click on it
    // maps to: in a picture coloured block by block, no view pixel mixes two.
    void displayShowsWhatAClickTakes_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<double>("scale");
        QTest::newRow("strongly reduced") << QSize(4000, 250) << 1478.0 / 4000;
        QTest::newRow("0.739") << QSize(2000, 700) << 0.739;
        QTest::newRow("one to one") << QSize(300, 200) << 1.0;
        QTest::newRow("enlarged 2.6 times") << QSize(300, 200) << 2.6;
        QTest::newRow("a single row") << QSize(3000, 1) << 1478.0 / 3000;
    }

    void displayShowsWhatAClickTakes()
    {
        QFETCH(QSize, picture);
        QFETCH(double, scale);
        const QSize viewSize = fittedViewSize(picture, scale);
        // The view pixel that each picture column and line belongs to.
        auto owner = [&](int p, int viewLength) {
            int v = 0;
            while (v + 1 < viewLength && spanStart(scale, v + 1) <= p)
                ++v;
            return v;
        };
        QList<int> columnOwner, lineOwner;
        for (int x = 0; x < picture.width(); ++x)
            columnOwner.append(owner(x, viewSize.width()));
        for (int y = 0; y < picture.height(); ++y)
            lineOwner.append(owner(y, viewSize.height()));
        auto blockColour = [](int vx, int vy) { return qRgb((vx * 7) % 256, (vy * 13) % 256, (vx + vy) % 256); };
        // Reduced: each view pixel has a block of its own, coloured alike. Not
        // reduced: each view pixel shows the one pixel a click takes.
        const bool reduced = scale < 1;
        const QImage img = reduced ? test::pictureOf(picture.width(), picture.height(),
                                                     [&](int x, int y) { return blockColour(columnOwner[x], lineOwner[y]); })
                                   : test::pictureOf(picture.width(), picture.height(), test::testColour);
        ViewOf v(img, scale);
        const QImage& display = v.view.displayImage();
        QCOMPARE(display.size(), viewSize);
        for (int vy = 0; vy < viewSize.height(); ++vy) {
            for (int vx = 0; vx < viewSize.width(); ++vx) {
                const QRgb expected = reduced ? blockColour(vx, vy) : img.pixel(spanStart(scale, vx), spanStart(scale, vy));
                if (display.pixel(vx, vy) != expected)
                    QFAIL(qPrintable(QStringLiteral("view pixel %1,%2").arg(vx).arg(vy)));
            }
        }
    }

    // A one-pixel line on white paper stays visible at a reduction of 27
    // times, where a block holds a single line of 27.
    void thinLinesStayVisible()
    {
        QImage img(2700, 270, QImage::Format_RGB32);
        img.fill(Qt::white);
        paint(img, QRect(0, 135, 2700, 1), qRgb(0, 0, 0)); // horizontal
        paint(img, QRect(1351, 0, 1, 270), qRgb(200, 0, 0)); // vertical, red
        ViewOf v(img, 0.037);
        const QImage& d = v.view.displayImage();
        // The view row and column whose blocks hold the lines.
        auto viewOf = [](int p) {
            int v = 0;
            while (spanStart(0.037, v + 1) <= p)
                ++v;
            return v;
        };
        const int lineRow = viewOf(135);
        const int lineColumn = viewOf(1351);
        // The pixels of the view row that holds the line are at least half dark.
        QVERIFY(qGray(d.pixel(10, lineRow)) <= 128);
        QVERIFY(qGray(d.pixel(10, lineRow + 2)) == 255);
        // The red line stays red: its red channel stays, the others drop.
        const QRgb red = d.pixel(lineColumn, 2);
        QVERIFY(qRed(red) >= 200 && qGreen(red) <= 128 && qBlue(red) <= 128);
    }

    // The display copy built from the lines while they are read equals the
    // one built from the whole picture after, whatever the order of the
    // batches; with a batch missing there is none.
    void builtWhileRead_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("inner");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<int>("batch");
        QTest::addColumn<bool>("bottomUp");
        QTest::newRow("reduced 27 times") << QSize(4000, 260) << QSize(148, 795) << 1.0 << 7 << true;
        QTest::newRow("reduced to 0.739") << QSize(2000, 700) << QSize(1478, 795) << 1.0 << 3 << false;
        QTest::newRow("blocks wider than 256") << QSize(9000, 40) << QSize(30, 795) << 1.0 << 4 << true;
        QTest::newRow("enlarged") << QSize(300, 200) << QSize(1478, 795) << 1.0 << 5 << true;
        QTest::newRow("a single row") << QSize(3000, 1) << QSize(1478, 795) << 1.0 << 1 << false;
        QTest::newRow("high density") << QSize(2000, 700) << QSize(1478, 795) << 2.0 << 64 << true;
    }

    void builtWhileRead()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, inner);
        QFETCH(double, ratio);
        QFETCH(int, batch);
        QFETCH(bool, bottomUp);
        const QImage img = test::pictureOf(picture.width(), picture.height(), [](int x, int y) {
            return qRgb((x * 37 + y * 11) % 256, (x * 5 + y * 91) % 256, (x ^ y) % 256);
        });
        const double scale = fitScale(inner, picture);
        QImage whole(deviceSize(fittedViewSize(picture, scale), ratio), QImage::Format_RGB32);
        renderDisplay(img, scale * ratio, whole.rect(), whole);

        auto feed = [&](bool leaveOneOut) {
            DisplayBuilder builder(inner, ratio, true);
            builder.pictureSize(picture);
            const int batches = (picture.height() + batch - 1) / batch;
            for (int b = 0; b < batches; ++b) {
                const int first = (bottomUp ? batches - 1 - b : b) * batch;
                if (leaveOneOut && b == batches / 2)
                    continue;
                builder.pictureLines(first, std::min(batch, picture.height() - first),
                                     reinterpret_cast<const QRgb*>(img.constScanLine(first)));
            }
            return builder.take();
        };
        const PreparedDisplay built = feed(false);
        QCOMPARE(built.viewScale, scale);
        QCOMPARE(built.ratio, ratio);
        const QString difference = firstDifference(built.image, whole);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        QVERIFY(feed(true).image.isNull());
    }

    // Rebuilding only the changed part gives the display a full rebuild gives.
    void partialRebuild_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("reduced") << 0.3;
        QTest::newRow("enlarged") << 1.7;
    }

    void partialRebuild()
    {
        QFETCH(double, scale);
        const QImage img = test::pictureOf(900, 500, test::testColour);
        ViewOf v(img, scale);
        QRandomGenerator rng(7);
        for (int i = 0; i < 30; ++i) {
            const QRect r(int(rng.bounded(900)), int(rng.bounded(500)), 1 + int(rng.bounded(40)), 1 + int(rng.bounded(40)));
            paint(v.view.Picture, r.intersected(img.rect()), qRgb(int(rng.bounded(256)), 0, 255));
            v.view.pictureChanged(r);
        }
        ViewOf fresh(v.view.Picture.copy(), scale);
        const QString difference = firstDifference(v.view.displayImage(), fresh.view.displayImage());
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    // After a restore the working bitmap equals the pristine one and the
    // display equals one built afresh, in both kinds of memory.
    void restore_data()
    {
        QTest::addColumn<bool>("copyOnWrite");
        QTest::newRow("copy-on-write memory") << true;
        QTest::newRow("ordinary memory") << false;
    }

    void restore()
    {
        QFETCH(bool, copyOnWrite);
        setPictureMemoryKind(copyOnWrite ? PictureMemoryKind::CopyOnWrite : PictureMemoryKind::Ordinary);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("p.bmp"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(test::plain24(1500, 900).bytes());
        }
        const QImage pristine = readBmpFile(path);
        const QImage expected = pristine.copy();
        TPictureView view;
        view.Picture = workingCopyOf(pristine);
        view.setDisplayScale(0.4);
        view.resize(fittedViewSize(pristine.size(), 0.4));
        view.pictureReplaced(pristine);
#if defined(__linux__)
        QCOMPARE(isCopyOnWrite(view.Picture, pristine), copyOnWrite);
#endif
        for (int round = 0; round < 3; ++round) {
            // Marks spread over the picture, small and large, reported as they are drawn.
            const QRect marks[] = {QRect(0, 0, 3, 3), QRect(1497, 897, 3, 3), QRect(700, 0, 1, 900),
                                   QRect(0, 450, 1500, 2), QRect(100 + round * 50, 300, 40, 30)};
            for (const QRect& r : marks) {
                paint(view.Picture, r, qRgb(255, 0, 0));
                view.pictureChanged(r);
            }
            QVERIFY(view.Picture != pristine);
            view.restoreFrom(pristine);
            QVERIFY(view.changedPixels().empty());
            const QString difference = firstDifference(view.Picture, expected);
            QVERIFY2(difference.isEmpty(), qPrintable(difference));
            ViewOf fresh(expected, 0.4);
            const QString shown = firstDifference(view.displayImage(), fresh.view.displayImage());
            QVERIFY2(shown.isEmpty(), qPrintable(shown));
        }
        // The pristine bitmap never changed.
        QVERIFY(pristine == expected);
#if defined(__linux__)
        // Restoring did not turn the working bitmap into a full copy.
        QCOMPARE(isCopyOnWrite(view.Picture, pristine), copyOnWrite);
#endif
    }

    // Taking a point back (restore, crosses and all segments but the last
    // drawn again) gives, byte for byte, the working bitmap and display that
    // a full copy of the pristine bitmap with the same drawing gives.
    void takingBackEqualsFullRestore_data()
    {
        QTest::addColumn<bool>("copyOnWrite");
        QTest::addColumn<double>("scale");
        QTest::newRow("copy-on-write, reduced") << true << 0.23;
        QTest::newRow("ordinary, reduced") << false << 0.23;
        QTest::newRow("ordinary, enlarged") << false << 1.6;
    }

    void takingBackEqualsFullRestore()
    {
        QFETCH(bool, copyOnWrite);
        QFETCH(double, scale);
        setPictureMemoryKind(copyOnWrite ? PictureMemoryKind::CopyOnWrite : PictureMemoryKind::Ordinary);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("p.bmp"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(test::plain24(2100, 1300).bytes());
        }
        const QImage pristine = readBmpFile(path);
        QRandomGenerator rng(11);
        QList<QPoint> points;
        for (int i = 0; i < 60; ++i)
            points.append(QPoint(int(rng.bounded(2200)) - 50, int(rng.bounded(1400)) - 50));
        const QPoint crosses[] = {QPoint(2, 1297), QPoint(2097, 1297), QPoint(2, 3)};
        auto draw = [&](TPictureView& view, qsizetype segments) {
            view.Canvas.PenColor = clGreen;
            for (const QPoint& c : crosses) {
                view.Canvas.MoveTo(c.x() - 3, c.y());
                view.Canvas.LineTo(c.x(), c.y());
                view.Canvas.MoveTo(c.x() + 1, c.y());
                view.Canvas.LineTo(c.x() + 4, c.y());
                view.Canvas.MoveTo(c.x(), c.y() - 3);
                view.Canvas.LineTo(c.x(), c.y());
                view.Canvas.MoveTo(c.x(), c.y() + 1);
                view.Canvas.LineTo(c.x(), c.y() + 4);
            }
            view.Canvas.MoveTo(points[0].x(), points[0].y());
            for (qsizetype i = 1; i <= segments; ++i) {
                view.Canvas.PenColor = TColor(0x0000FF + 0x010000 * i);
                view.Canvas.PenWidth = 1 + int(i % 3);
                view.Canvas.LineTo(points[i].x(), points[i].y());
            }
            view.Canvas.PenWidth = 1;
        };
        auto viewOf = [&](TPictureView& view) {
            view.Picture = workingCopyOf(pristine);
            view.setDisplayScale(scale);
            view.resize(fittedViewSize(pristine.size(), scale));
            view.pictureReplaced(pristine);
        };
        TPictureView view;
        viewOf(view);
        draw(view, points.size() - 1);
        // Part of the drawing already on screen, part still to be built.
        (void)view.displayImage();
        for (qsizetype segments = points.size() - 2; segments > points.size() - 5; --segments) {
            view.restoreFrom(pristine);
            draw(view, segments);
            TPictureView full;
            viewOf(full);
            draw(full, segments);
            QCOMPARE(view.Picture.sizeInBytes(), full.Picture.sizeInBytes());
            QVERIFY(std::memcmp(view.Picture.constBits(), full.Picture.constBits(),
                                size_t(full.Picture.sizeInBytes())) == 0);
            // Both displays, built piece by piece around the drawing (lines
            // drawing left alone read from the pristine bitmap), equal one
            // built in one go from the drawn picture.
            ViewOf afresh(full.Picture.copy(), scale);
            const QImage& expected = afresh.view.displayImage();
            for (const QImage* shown : {&view.displayImage(), &full.displayImage()}) {
                QCOMPARE(shown->size(), expected.size());
                for (int y = 0; y < shown->height(); ++y)
                    QVERIFY2(std::memcmp(shown->constScanLine(y), expected.constScanLine(y),
                                         size_t(shown->width()) * 4) == 0,
                             qPrintable(QStringLiteral("display line %1").arg(y)));
            }
        }
        view.restoreFrom(pristine);
        QVERIFY(std::memcmp(view.Picture.constBits(), pristine.constBits(), size_t(pristine.sizeInBytes())) == 0);
    }

    // A restore from another pristine bitmap than the one the working bitmap
    // was made from copies all of it.
    void restoreFromAnotherPristine()
    {
        const QImage first = test::pictureOf(300, 200, test::testColour);
        const QImage second = test::pictureOf(300, 200, [](int x, int y) { return qRgb(x % 256, 0, y % 256); });
        TPictureView view;
        view.Picture = workingCopyOf(first);
        view.setDisplayScale(1.5);
        view.resize(fittedViewSize(first.size(), 1.5));
        view.pictureReplaced(first);
        paint(view.Picture, QRect(10, 10, 5, 5), qRgb(255, 0, 0));
        view.pictureChanged(QRect(10, 10, 5, 5));
        view.restoreFrom(second);
        QVERIFY(view.Picture == second);
        ViewOf fresh(second, 1.5);
        QVERIFY(view.displayImage() == fresh.view.displayImage());
    }

    // A working copy is independent of the pristine bitmap.
    void workingCopyIsIndependent()
    {
        const QImage plain = test::pictureOf(50, 40, test::testColour);
        QImage working = workingCopyOf(plain);
        paint(working, QRect(0, 0, 50, 40), qRgb(0, 0, 0));
        QCOMPARE(plain.pixel(10, 10), test::testColour(10, 10));
    }
};

KUVARO_TEST_MAIN(TestPictureView)
#include "tst_pictureview.moc"
