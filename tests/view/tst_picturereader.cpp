// Pictures of every format the program opens: exact pixels where the format
// is lossless, transparency over white, the first frame of an animation, a
// format decided by content, and every file refused when cut in the middle
// or cut short while it is being read.

#include "common/CoreTestMain.h"
#include "common/Pictures.h"
#include "core/Errors.h"
#include "view/BmpCorpus.h"
#include "view/PictureReader.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

using namespace kuvaro;
using namespace kuvaro::test;

namespace {

constexpr qint64 Plenty = qint64(8) << 30;

QByteArray encoded(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    return writer.write(image) ? bytes : QByteArray();
}

// Two frames: red with one blue pixel at 1,1, then all green.
const QByteArray AnimatedGif = QByteArray::fromHex(
    "47494638396104000300f00000ff00000000ff21f904000000000021ff0b4e45545343415045322e3003010000002c00"
    "00000004000300000204841d77050021f90400000000002c00000000040003008000ff000000000203848f56003b");

QImage overWhite(const QImage& image)
{
    QImage out(image.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const double a = c.alphaF();
            out.setPixel(x, y, qRgb(qRound(c.red() * a + 255 * (1 - a)), qRound(c.green() * a + 255 * (1 - a)),
                                    qRound(c.blue() * a + 255 * (1 - a))));
        }
    return out;
}

} // namespace

class TestPictureReader : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString write(const QString& name, const QByteArray& bytes) { return writeTestFile(m_dir.filePath(name), bytes); }

    void verifyRefused(const QString& path, const ReadProgress& progress = {})
    {
        try {
            readPictureFile(path, Plenty, progress);
            QFAIL("a broken picture was opened");
        } catch (const KuvaroError& e) {
            QCOMPARE(e.message(), QStringLiteral("Bitmap ist ungültig"));
        }
    }

private Q_SLOTS:
    void formats_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QImage>("expected");
        QTest::addColumn<int>("tolerance"); // per channel; 0 for lossless formats

        const QImage pattern = patternPicture(QSize(37, 23));
        QImage alpha = pattern.convertToFormat(QImage::Format_ARGB32);
        for (int x = 0; x < alpha.width(); ++x) {
            alpha.setPixel(x, 0, qRgba(0, 0, 0, 0));                 // fully transparent: white
            alpha.setPixel(x, 1, qRgba(0, 0, 0, 255));               // opaque black stays black
        }
        const QImage grey8 = pattern.convertToFormat(QImage::Format_Grayscale8);
        const QImage grey16 = pattern.convertToFormat(QImage::Format_Grayscale16);
        const QImage rgb64 = pattern.convertToFormat(QImage::Format_RGBX64);

        QTest::newRow("PNG") << encoded(pattern, "png") << pattern << 0;
        QTest::newRow("PNG with alpha") << encoded(alpha, "png") << overWhite(alpha) << 0;
        QTest::newRow("PNG 8-bit grey") << encoded(grey8, "png") << grey8.convertToFormat(QImage::Format_RGB32) << 0;
        QTest::newRow("PNG 16-bit grey") << encoded(grey16, "png") << grey16.convertToFormat(QImage::Format_RGB32)
                                         << 0;
        QTest::newRow("JPEG") << encoded(pattern, "jpeg", 95) << pattern << 48;
        QTest::newRow("GIF, first frame") << AnimatedGif
                                          << pictureOf(4, 3, [](int x, int y) {
                                                 return x == 1 && y == 1 ? qRgb(0, 0, 255) : qRgb(255, 0, 0);
                                             })
                                          << 0;
        for (const auto& [name, image] : {std::pair{"TIFF", pattern}, std::pair{"TIFF 16 bits a channel", rgb64}}) {
            const QByteArray tiff = encoded(image, "tiff");
            if (!tiff.isEmpty())
                QTest::newRow(name) << tiff << image.convertToFormat(QImage::Format_RGB32) << 0;
        }
        const QByteArray webp = encoded(pattern, "webp", 100);
        if (!webp.isEmpty())
            QTest::newRow("WebP lossless") << webp << pattern << 0;
    }

    void formats()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QImage, expected);
        QFETCH(int, tolerance);
        QVERIFY(!bytes.isEmpty());
        // The name says BMP: the content decides.
        const QImage got = readPictureFile(write(QStringLiteral("bild.bmp"), bytes), Plenty);
        QCOMPARE(got.format(), QImage::Format_RGB32);
        QCOMPARE(got.size(), expected.size());
        const QImage want = expected.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < want.height(); ++y)
            for (int x = 0; x < want.width(); ++x) {
                const QRgb a = got.pixel(x, y), b = want.pixel(x, y);
                const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                        std::abs(qBlue(a) - qBlue(b))});
                if (d > tolerance)
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 off by %3").arg(x).arg(y).arg(d)));
            }

        // Cut in the middle: refused, whatever the decoder would make of it.
        verifyRefused(write(QStringLiteral("halb.png"), bytes.left(bytes.size() / 2)));
    }

    void notAPicture_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("text named .png") << QByteArray("Messwerte 1;2;3\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("a picture format not opened") << encoded(patternPicture(QSize(5, 5)), "xpm");
    }

    void notAPicture()
    {
        QFETCH(QByteArray, bytes);
        const QString path = write(QStringLiteral("werte.png"), bytes);
        verifyRefused(path);
        QVERIFY(pictureFormatOf(path).isEmpty());
    }

    // Another program cuts the file short while it is read: an ordinary
    // refusal, never a crash; and a cancelled reading opens nothing.
    void cutWhileReading_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("BMP 24 bits") << plain24(600, 500).bytes();
        QTest::newRow("BMP run-length") << rle8File().bytes();
        QTest::newRow("PNG") << encoded(patternPicture(QSize(600, 500)), "png");
    }

    void cutWhileReading()
    {
        QFETCH(QByteArray, bytes);
        const QString path = write(QStringLiteral("schrumpft.bmp"), bytes);
        int reports = 0;
        verifyRefused(path, [&](qint64, qint64) {
            if (reports++ == 0)
                QFile::resize(path, 100);
            return true;
        });
        QVERIFY(reports > 0);

        write(QStringLiteral("schrumpft.bmp"), bytes);
        QVERIFY_THROWS_EXCEPTION(ReadCancelled, readPictureFile(path, Plenty, [](qint64, qint64) { return false; }));
    }

    void pastedPicture()
    {
        QImage clip(3, 2, QImage::Format_ARGB32_Premultiplied);
        clip.fill(Qt::transparent);
        clip.setPixel(2, 1, qRgba(0, 0, 255, 255));
        const QImage got = pictureFromImage(clip, Plenty);
        QCOMPARE(got.format(), QImage::Format_RGB32);
        QCOMPARE(got.pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(got.pixel(2, 1), qRgb(0, 0, 255));
        QVERIFY_THROWS_EXCEPTION(KuvaroError, pictureFromImage(QImage(20000, 20000, QImage::Format_Mono), Plenty));
    }
};

KUVARO_CORE_TEST_MAIN(TestPictureReader)
#include "tst_picturereader.moc"
