// The picture view on a screen with two device pixels per view unit: the
// display copy has the screen's pixels, so a picture shown at scale 0.5 puts
// each of its pixels on one device pixel of its own colour.

#include "common/Pictures.h"
#include "view/Fit.h"
#include "view/PictureView.h"

#include <QApplication>
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
};

int main(int argc, char** argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestHiDpi tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_hidpi.moc"
