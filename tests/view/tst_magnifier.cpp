// The magnifier and the cursor read-out: 50 x 50 picture pixels around the
// cursor stretched onto 198 x 198, the crosshair that leaves the cursor pixel
// free, grey outside the picture, and the view position in xyLabel.

#include "common/FormDriver.h"
#include "common/Pictures.h"
#include "common/TestMain.h"
#include "view/Magnifier.h"

#include <QLabel>
#include <QSet>

#include <functional>

#include <memory>

using namespace kuvaro;
using namespace kuvaro::test;

namespace {

const QRgb Grey = qRgb(0x80, 0x80, 0x80);
const QRgb Black = qRgb(0, 0, 0);

// Every pixel its own colour, none of them black or the frame's grey.
QImage numberedPicture(int w, int h)
{
    return pictureOf(w, h, [](int x, int y) { return qRgb(x % 256, y % 256, 1 + (x / 256) * 16 + (y / 256)); });
}

QSet<QPoint> crosshair()
{
    return pixelRect(91, 99, 96, 101) | pixelRect(103, 99, 108, 101) | pixelRect(99, 91, 101, 96) |
           pixelRect(99, 103, 101, 108);
}

// Along one line of the magnifier, each of the 50 source pixels in order,
// each repeated three or four times, and nothing else.
void verifyRuns(const std::function<QRgb(int)>& magnified, const std::function<QRgb(int)>& source)
{
    int i = 0;
    for (int k = 0; k < MagnifierSource; ++k) {
        const QRgb want = source(k);
        int run = 0;
        while (i < MagnifierSize && magnified(i) == want) {
            ++run;
            ++i;
        }
        QVERIFY2(run == 3 || run == 4, qPrintable(QStringLiteral("source %1 run %2").arg(k).arg(run)));
    }
    QCOMPARE(i, MagnifierSize);
}

} // namespace

class TestMagnifier : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sourceRectangle_data()
    {
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("50, 30") << QPoint(50, 30) << QRect(QPoint(25, 5), QPoint(74, 54));
        QTest::newRow("origin") << QPoint(0, 0) << QRect(QPoint(-25, -25), QPoint(24, 24));
        QTest::newRow("negative") << QPoint(-10, -3) << QRect(QPoint(-35, -28), QPoint(14, 21));
    }

    void sourceRectangle()
    {
        QFETCH(QPoint, pixel);
        QFETCH(QRect, expected);
        QCOMPARE(magnifierSourceRect(pixel.x(), pixel.y()), expected);
    }

    void stretchRepeatsPixels()
    {
        const QImage picture = numberedPicture(300, 200);
        QImage surface(MagnifierSize, MagnifierSize, QImage::Format_RGB32);
        surface.fill(Qt::white);
        stretchIntoMagnifier(picture, magnifierSourceRect(50, 30), surface);
        // The cursor pixel covers 99 to 102 in both directions.
        for (int y = 99; y <= 102; ++y)
            for (int x = 99; x <= 102; ++x)
                QCOMPARE(surface.pixel(x, y), picture.pixel(50, 30));
        QVERIFY(surface.pixel(98, 100) != picture.pixel(50, 30));
        QVERIFY(surface.pixel(103, 100) != picture.pixel(50, 30));
        QVERIFY(surface.pixel(100, 98) != picture.pixel(50, 30));
        QVERIFY(surface.pixel(100, 103) != picture.pixel(50, 30));
        QCOMPARE(surface.pixel(0, 0), picture.pixel(25, 5));
        QCOMPARE(surface.pixel(197, 197), picture.pixel(74, 54));
        // Row 100 of the magnifier shows picture row 30, column 100 picture column 50.
        verifyRuns([&](int i) { return surface.pixel(i, 100); }, [&](int k) { return picture.pixel(25 + k, 30); });
        verifyRuns([&](int i) { return surface.pixel(100, i); }, [&](int k) { return picture.pixel(50, 5 + k); });
    }

    void outsideThePictureIsGrey_data()
    {
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<QPoint>("greyAt");
        QTest::addColumn<QPoint>("pictureAt");
        QTest::newRow("top-left corner") << QPoint(0, 0) << QPoint(98, 98) << QPoint(99, 99);
        QTest::newRow("left edge") << QPoint(0, 100) << QPoint(98, 100) << QPoint(99, 100);
        QTest::newRow("bottom-right corner") << QPoint(299, 199) << QPoint(103, 103) << QPoint(102, 102);
        QTest::newRow("wholly outside") << QPoint(-100, 50) << QPoint(197, 100) << QPoint(-1, -1);
        QTest::newRow("below") << QPoint(100, 260) << QPoint(0, 0) << QPoint(-1, -1);
    }

    void outsideThePictureIsGrey()
    {
        QFETCH(QPoint, pixel);
        QFETCH(QPoint, greyAt);
        QFETCH(QPoint, pictureAt);
        const QImage picture = numberedPicture(300, 200);
        QImage surface(MagnifierSize, MagnifierSize, QImage::Format_RGB32);
        surface.fill(Qt::white);
        stretchIntoMagnifier(picture, magnifierSourceRect(pixel.x(), pixel.y()), surface);
        QCOMPARE(surface.pixel(greyAt), Grey);
        if (pictureAt.x() >= 0) {
            const QPoint clamped(qBound(0, pixel.x(), 299), qBound(0, pixel.y(), 199));
            QCOMPARE(surface.pixel(pictureAt), picture.pixel(clamped));
        } else {
            for (int y = 0; y < MagnifierSize; y += 7)
                for (int x = 0; x < MagnifierSize; x += 7)
                    QCOMPARE(surface.pixel(x, y), Grey);
        }
    }

    // Through the main window at scale 2: view (101, 61) is pixel (50, 30).
    void magnifierOfTheForm()
    {
        FormDriver d;
        TMainForm* f = d.form;
        const QImage picture = numberedPicture(739, 300);
        f->SetPicture(picture, QStringLiteral("/tmp/nummern.bmp"));
        QCOMPARE(f->DisplayScale, 2.0);

        d.move(101, 61);
        QCOMPARE(f->CursorIx, 50);
        QCOMPARE(f->CursorIy, 30);
        const QImage& zoom = f->zoomedImage->Picture;
        QCOMPARE(zoom.size(), QSize(198, 198));
        QSet<QPoint> black;
        for (int y = 0; y < 198; ++y)
            for (int x = 0; x < 198; ++x)
                if (zoom.pixel(x, y) == Black)
                    black.insert(QPoint(x, y));
        QCOMPARE(black, crosshair());
        // The centre between the arms shows the picture; the cursor pixel's block is whole.
        for (int y = 99; y <= 102; ++y)
            for (int x = 99; x <= 102; ++x)
                QCOMPARE(zoom.pixel(x, y), picture.pixel(50, 30));
        QCOMPARE(zoom.pixel(97, 100), picture.pixel(49, 30));
        QCOMPARE(zoom.pixel(0, 0), picture.pixel(25, 5));
        QCOMPARE(zoom.pixel(197, 197), picture.pixel(74, 54));
        QCOMPARE(zoom.pixel(90, 100), picture.pixel(25 + 90 * 50 / 198, 30));
        QCOMPARE(zoom.pixel(109, 100), picture.pixel(25 + 109 * 50 / 198, 30));
    }

    void magnifierNearTheEdgeOfTheForm()
    {
        FormDriver d;
        d.load();
        d.move(1, 1);
        const QImage& zoom = d.form->zoomedImage->Picture;
        QCOMPARE(zoom.pixel(10, 10), Grey);
        QCOMPARE(zoom.pixel(100, 100), d.picture.pixel(0, 0));
        // Held button, mouse beyond the view: still followed, all outside is grey.
        d.move(-300, -300, Qt::LeftButton);
        QCOMPARE(d.form->xyLabel->text(), QStringLiteral("-300 | -300"));
        QCOMPARE(d.form->CursorIx, -150);
        QCOMPARE(zoom.pixel(100, 100), Grey);
        QCOMPARE(zoom.pixel(95, 100), Black);
        QCOMPARE(d.dialogs.unexpected(), QStringList());
    }

    // xyLabel shows view units whatever the scale.
    void positionReadout_data()
    {
        QTest::addColumn<QSize>("panel");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<double>("scale");
        QTest::newRow("scale 2") << QSize(1490, 807) << QSize(739, 300) << 2.0;
        QTest::newRow("scale 1") << QSize(1490, 807) << QSize(1478, 795) << 1.0;
        QTest::newRow("scale 0.5") << QSize(1490, 807) << QSize(2956, 1590) << 0.5;
    }

    void positionReadout()
    {
        QFETCH(QSize, panel);
        QFETCH(QSize, picture);
        QFETCH(double, scale);
        FormDriver d(panel);
        d.load(picture);
        QCOMPARE(d.form->DisplayScale, scale);
        d.move(412, 87);
        QCOMPARE(d.form->xyLabel->text(), QStringLiteral("412 | 87"));
        QCOMPARE(d.form->CursorIx, int(412 / scale));
        QCOMPARE(d.form->CursorIy, int(87 / scale));
        QCOMPARE(d.form->zoomedImage->Picture.pixel(100, 100), d.picture.pixel(int(412 / scale), int(87 / scale)));
        // Before the calibration, the diagram read-out stays empty.
        QCOMPARE(d.form->xyAktLabel->text(), QString());
    }

    void nothingBeforeAPicture()
    {
        FormDriver d;
        const QImage before = d.form->zoomedImage->Picture;
        d.move(412, 87);
        d.move(20, 20, Qt::LeftButton);
        QCOMPARE(d.form->xyLabel->text(), QString());
        QVERIFY(d.form->zoomedImage->Picture == before);
        QCOMPARE(d.form->CursorIx, 0);
    }

    // The magnifier keeps what it shows when the picture is reset.
    void keptAfterReset()
    {
        FormDriver d;
        d.load();
        d.move(300, 300);
        const QImage shown = d.form->zoomedImage->Picture;
        d.form->ResetAllesSBtnClick();
        QVERIFY(d.form->zoomedImage->Picture == shown);
    }
};

KUVARO_TEST_MAIN(TestMagnifier)
#include "tst_magnifier.moc"
