// The picture view on a screen with two device pixels per view unit: the
// display copy has the screen's pixels, so a picture shown at scale 0.5 puts
// each of its pixels on one device pixel of its own colour.

#include "app/Main.h"
#include "common/FormDriver.h"
#include "common/Pictures.h"
#include "dialogs/InstructionsPicture.h"
#include "view/Fit.h"
#include "view/PictureView.h"

#include "app/Application.h"
#include "view/TImage.h"
#include <QTest>

using namespace kuvaro;
using namespace kuvaro::test;

class TestHiDpi : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void eachPixelOnADevicePixel()
    {
        TPictureView view;
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.devicePixelRatioF(), 2.0);
        const QImage picture = patternPicture(QSize(201, 99));
        view.setDisplayScale(0.5);
        view.resize(fittedViewSize(picture.size(), 0.5));
        view.Picture = picture;
        view.pictureReplaced();
        QCOMPARE(view.displayRatio(), 2.0);
        const QImage shown = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), QSize(200, 98));
        QVERIFY2(shown == picture.copy(0, 0, 200, 98), qPrintable(firstDifference(shown, picture.copy(0, 0, 200, 98))));

        // A drawn line comes through at device resolution too.
        view.Canvas.PenColor = 0x0000FF;
        view.Canvas.MoveTo(10, 41);
        view.Canvas.LineTo(150, 41);
        const QImage drawn = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(drawn.pixel(10, 41), qRgb(255, 0, 0));
        QCOMPARE(drawn.pixel(149, 41), qRgb(255, 0, 0));
        QCOMPARE(drawn.pixel(100, 40), picture.pixel(100, 40));
        QCOMPARE(drawn.pixel(100, 42), picture.pixel(100, 42));
    }

    void magnifierAtDeviceResolution()
    {
        FormDriver d;
        d.load();
        d.move(300, 200);
        const QImage& surface = d.form->zoomedImage->Picture;
        QCOMPARE(surface.size(), QSize(396, 396));
        // The crosshair's left arm, three view units wide, is six device pixels wide.
        for (int y : {198, 203})
            QCOMPARE(surface.pixel(190, y), qRgb(0, 0, 0));
        QVERIFY(surface.pixel(190, 196) != qRgb(0, 0, 0));
        QVERIFY(surface.pixel(200, 200) != qRgb(0, 0, 0)); // the cursor pixel stays free
    }

    void instructionsAtDeviceResolution()
    {
        const InstructionsPicture fine = renderInstructionsPicture(2.0);
        QCOMPARE(fine.image.size(), QSize(2 * InstructionsWidth, 2 * InstructionsHeight));
        QCOMPARE(fine.image.devicePixelRatio(), 2.0);
        // The same layout, drawn with twice the pixels: the bands stand where they stood.
        QCOMPARE(fine.parts, renderInstructionsPicture(1.0).parts);
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    TApplication app(argc, argv);
    kuvaro::initPlatform();
    TestHiDpi tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_hidpi.moc"
