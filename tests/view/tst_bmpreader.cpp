// Reading BMP files: every header variant and bit depth gives the pixels that
// were written, run-length pictures included; broken files, pictures too large
// for Qt or for the memory, and files of other formats give a KuvaroError with
// the right message.

#include "core/Errors.h"
#include "common/Pictures.h"
#include "common/CoreTestMain.h"
#include "view/BmpCorpus.h"
#include "view/BmpReader.h"
#include "view/PictureMemory.h"

#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kuvaro;
using namespace kuvaro::test;

namespace {

// 5-bit and 6-bit channel values as Qt widens them: the high bits repeated below.
int widen5(int v) { return (v << 3) | (v >> 2); }
int widen6(int v) { return (v << 2) | (v >> 4); }

QImage paletteImage(int width, int height, const QList<QRgb>& palette, const std::function<int(int, int)>& index)
{
    return pictureOf(width, height, [&](int x, int y) {
        const int i = index(x, y);
        return i < palette.size() ? palette[i] : qRgb(0, 0, 0);
    });
}

QImage runLengthImage(const RunLengthSample& s, const QList<QRgb>& palette)
{
    return pictureOf(s.width, s.height, [&](int x, int y) { return palette[s.indices[y][x]]; });
}

// The bits of a colour that a picture of this kind stores: 16-bit pictures
// keep 5 or 6 bits a channel, which Qt widens to 8 bits in a way that changed
// between its versions (shifting, or repeating the high bits below).
QRgb significantBits(const char* tag)
{
    const QByteArray t(tag);
    if (t.contains("5-6-5"))
        return 0xFFF8FCF8u;
    if (t.contains("5-5-5"))
        return 0xFFF8F8F8u;
    return 0xFFFFFFFFu;
}

QString readFailure(const QString& path, qint64 available = -1)
{
    try {
        if (available >= 0)
            readBmpFile(path, available);
        else
            readBmpFile(path);
    } catch (const KuvaroError& e) {
        return e.message();
    }
    return QStringLiteral("(no failure)");
}

} // namespace

class TestBmpReader : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_convert;
    QImage m_colours; // few pure colours: exact in every variant
    QImage m_greys; // more than 16 colours: an 8-bit palette
    QImage m_blackWhite;

    QString write(const QString& name, const QByteArray& bytes) { return writeTestFile(m_dir.filePath(name), bytes); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
        m_colours = pictureOf(13, 7, [](int x, int y) {
            const QRgb pure[] = {qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(0, 255, 0),
                                 qRgb(0, 0, 0),       qRgb(255, 255, 0), qRgb(255, 0, 255), qRgb(0, 255, 255)};
            return pure[(x / 2 + y * 3) % 8];
        });
        m_greys = pictureOf(20, 3, [](int x, int y) { return qRgb((x + 20 * y) * 4, (x + 20 * y) * 4, (x + 20 * y) * 4); });
        m_blackWhite = pictureOf(13, 7, [](int x, int y) { return (x * y + x) % 3 ? qRgb(255, 255, 255) : qRgb(0, 0, 0); });
        QVERIFY(m_colours.save(m_dir.filePath(QStringLiteral("colours.png"))));
        QVERIFY(m_greys.save(m_dir.filePath(QStringLiteral("greys.png"))));
        QVERIFY(m_blackWhite.save(m_dir.filePath(QStringLiteral("bw.png"))));
    }

    void cleanup() { setPictureMemoryKind(PictureMemoryKind::Automatic); }

    // Files written here byte by byte, for exact control of every field.
    void variants_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QImage>("expected");

        {
            const QList<QRgb> pal = {qRgb(10, 20, 90), qRgb(250, 240, 30)};
            auto index = [](int x, int y) { return (x * y) % 3 == 0 ? 1 : 0; };
            BmpFile f;
            f.width = 13;
            f.height = 7;
            f.bits = 1;
            f.palette = pal;
            f.pixels = packRows(13, 7, 1, false, [&](int x, int y) { return quint32(index(x, y)); });
            QTest::newRow("1 bit, dark colour first") << f.bytes() << paletteImage(13, 7, pal, index);
            f.palette = {pal[1], pal[0]};
            QTest::newRow("1 bit, light colour first") << f.bytes() << paletteImage(13, 7, f.palette, index);
        }
        {
            const QList<QRgb> pal = testPalette(16);
            auto index = [](int x, int y) { return (x + 3 * y) % 16; };
            BmpFile f;
            f.width = 13;
            f.height = 7;
            f.bits = 4;
            f.palette = pal;
            f.pixels = packRows(13, 7, 4, false, [&](int x, int y) { return quint32(index(x, y)); });
            QTest::newRow("4 bits") << f.bytes() << paletteImage(13, 7, pal, index);

            BmpFile few = f;
            few.palette = testPalette(5);
            auto index5 = [](int x, int y) { return (x + y) % 5; };
            few.pixels = packRows(13, 7, 4, false, [&](int x, int y) { return quint32(index5(x, y)); });
            QTest::newRow("4 bits, 5 colours used") << few.bytes() << paletteImage(13, 7, few.palette, index5);

            BmpFile topDown = f;
            topDown.headerSize = 124;
            topDown.height = -7;
            topDown.pixels = packRows(13, 7, 4, true, [&](int x, int y) { return quint32(index(x, y)); });
            QTest::newRow("4 bits, V5 header, top-down") << topDown.bytes() << paletteImage(13, 7, pal, index);
        }
        {
            const QList<QRgb> pal = testPalette(256);
            auto index = [](int x, int y) { return (x * 7 + y * 13) % 256; };
            BmpFile f;
            f.width = 13;
            f.height = 7;
            f.bits = 8;
            f.palette = pal;
            f.pixels = packRows(13, 7, 8, false, [&](int x, int y) { return quint32(index(x, y)); });
            QTest::newRow("8 bits") << f.bytes() << paletteImage(13, 7, pal, index);

            for (int headerSize : {12, 56, 64, 108}) {
                BmpFile h = f;
                h.headerSize = headerSize;
                QTest::addRow("8 bits, %d-byte header", headerSize) << h.bytes() << paletteImage(13, 7, pal, index);
            }

            BmpFile shortPalette = f;
            shortPalette.palette = testPalette(4);
            auto index6 = [](int x, int y) { return (x + y) % 6; };
            shortPalette.pixels = packRows(13, 7, 8, false, [&](int x, int y) { return quint32(index6(x, y)); });
            QTest::newRow("8 bits, indices beyond the palette are black")
                << shortPalette.bytes() << paletteImage(13, 7, shortPalette.palette, index6);

            // The data offset leaves room for 4 colours of the 256 the header implies.
            BmpFile cut = shortPalette;
            cut.coloursUsed = 0;
            QTest::newRow("8 bits, palette cut short by the data offset")
                << cut.bytes() << paletteImage(13, 7, shortPalette.palette, index6);

            BmpFile wide;
            wide.headerSize = 12;
            wide.width = 40000;
            wide.height = 2;
            wide.bits = 8;
            wide.palette = pal;
            auto wideIndex = [](int x, int y) { return (x / 100 + y) % 256; };
            wide.pixels = packRows(40000, 2, 8, false, [&](int x, int y) { return quint32(wideIndex(x, y)); });
            QTest::newRow("8 bits, core header, wider than 32767")
                << wide.bytes() << paletteImage(40000, 2, pal, wideIndex);
        }
        {
            auto word555 = [](int x, int y) {
                const QRgb c = testColour(x, y);
                return quint32((qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | (qBlue(c) >> 3));
            };
            BmpFile f;
            f.width = 13;
            f.height = 7;
            f.bits = 16;
            f.pixels = packRows(13, 7, 16, false, word555);
            const QImage expected = pictureOf(13, 7, [](int x, int y) {
                const QRgb c = testColour(x, y);
                return qRgb(widen5(qRed(c) >> 3), widen5(qGreen(c) >> 3), widen5(qBlue(c) >> 3));
            });
            QTest::newRow("16 bits, 5-5-5") << f.bytes() << expected;
        }
        {
            auto word565 = [](int x, int y) {
                const QRgb c = testColour(x, y);
                return quint32((qRed(c) >> 3) << 11 | (qGreen(c) >> 2) << 5 | (qBlue(c) >> 3));
            };
            const QImage expected = pictureOf(13, 7, [](int x, int y) {
                const QRgb c = testColour(x, y);
                return qRgb(widen5(qRed(c) >> 3), widen6(qGreen(c) >> 2), widen5(qBlue(c) >> 3));
            });
            for (int headerSize : {40, 52, 108}) {
                BmpFile f;
                f.headerSize = headerSize;
                f.width = 13;
                f.height = 7;
                f.bits = 16;
                f.compression = 3;
                f.masks[0] = 0xF800;
                f.masks[1] = 0x07E0;
                f.masks[2] = 0x001F;
                f.pixels = packRows(13, 7, 16, false, word565);
                QTest::addRow("16 bits, 5-6-5 masks, %d-byte header", headerSize) << f.bytes() << expected;
            }
        }
        {
            const QImage expected = pictureOf(13, 7, testColour);
            BmpFile f = plain24(13, 7);
            QTest::newRow("24 bits") << f.bytes() << expected;
            for (int headerSize : {12, 52, 64, 108, 124}) {
                BmpFile h = f;
                h.headerSize = headerSize;
                QTest::addRow("24 bits, %d-byte header", headerSize) << h.bytes() << expected;
            }
            BmpFile topDown = f;
            topDown.height = -7;
            topDown.pixels = packRows(13, 7, 24, true, [](int x, int y) { return testColour(x, y); });
            QTest::newRow("24 bits, top-down") << topDown.bytes() << expected;

            BmpFile gap = f;
            gap.gapBeforePixels = 10;
            QTest::newRow("24 bits, unused bytes before the pixels") << gap.bytes() << expected;

            // A data offset pointing into the headers: the pixels follow them.
            BmpFile zero = f;
            zero.offBits = 0;
            QTest::newRow("24 bits, data offset zero") << zero.bytes() << expected;
        }
        {
            const QImage expected = pictureOf(13, 7, testColour);
            BmpFile f;
            f.width = 13;
            f.height = 7;
            f.bits = 32;
            // The fourth byte is unused; whatever stands there does not show.
            f.pixels = packRows(13, 7, 32, false, [](int x, int y) { return (testColour(x, y) & 0xFFFFFFu) | 0x5A000000u; });
            QTest::newRow("32 bits") << f.bytes() << expected;

            BmpFile masked = f;
            masked.compression = 3;
            masked.masks[0] = 0x000000FF;
            masked.masks[1] = 0x0000FF00;
            masked.masks[2] = 0x00FF0000;
            masked.pixels = packRows(13, 7, 32, false, [](int x, int y) {
                const QRgb c = testColour(x, y);
                return quint32(qRed(c) | qGreen(c) << 8 | qBlue(c) << 16);
            });
            QTest::newRow("32 bits, masks in another order") << masked.bytes() << expected;

            for (int headerSize : {56, 124}) {
                BmpFile h = masked;
                h.headerSize = headerSize;
                h.masks[3] = 0xFF000000;
                h.pixels = packRows(13, 7, 32, false, [](int x, int y) {
                    const QRgb c = testColour(x, y);
                    return quint32(qRed(c) | qGreen(c) << 8 | qBlue(c) << 16) | ((x * 40u) & 0xFF) << 24;
                });
                QTest::addRow("32 bits, masks and alpha, %d-byte header", headerSize) << h.bytes() << expected;
            }
        }
        {
            const RunLengthSample s = rle8Sample();
            BmpFile f = rle8File();
            QTest::newRow("8 bits, run-length coded") << f.bytes() << runLengthImage(s, f.palette);
            // Runs over the padding of a line, as ImageMagick writes them.
            BmpFile padded = f;
            padded.pixels[10] = 8;
            QTest::newRow("8 bits, run-length coded, runs over the line padding")
                << padded.bytes() << runLengthImage(s, f.palette);
            BmpFile v4 = f;
            v4.headerSize = 108;
            QTest::newRow("8 bits, run-length coded, V4 header") << v4.bytes() << runLengthImage(s, f.palette);
        }
        {
            const RunLengthSample s = rle4Sample();
            BmpFile f = rle4File();
            QTest::newRow("4 bits, run-length coded") << f.bytes() << runLengthImage(s, f.palette);
            BmpFile os2 = f;
            os2.headerSize = 64;
            QTest::newRow("4 bits, run-length coded, OS/2 2.x header") << os2.bytes() << runLengthImage(s, f.palette);
        }
    }

    void variants()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QImage, expected);
        const QString path = write(QStringLiteral("variant.bmp"), bytes);
        for (bool copyOnWrite : {true, false}) {
            setPictureMemoryKind(copyOnWrite ? PictureMemoryKind::CopyOnWrite : PictureMemoryKind::Ordinary);
            QImage got;
            try {
                got = readBmpFile(path);
            } catch (const KuvaroError& e) {
                QFAIL(qPrintable(e.message()));
            }
            QCOMPARE(got.format(), QImage::Format_RGB32);
            const QString difference = firstDifference(got, expected, significantBits(QTest::currentDataTag()));
            QVERIFY2(difference.isEmpty(), qPrintable(difference));
        }
    }

    // Files written by ImageMagick, a second writer that was not made for these tests.
    void imageMagick_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("headerSize");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("compression");

        const QString c = QStringLiteral("colours.png");
        const QString palette = QStringLiteral("Palette");
        const QString type = QStringLiteral("-type");
        QTest::newRow("4 bits") << c << QStringList{type, palette, QStringLiteral("BMP3:out.bmp")} << 40 << 4 << 0;
        QTest::newRow("8 bits") << QStringLiteral("greys.png")
                                << QStringList{type, palette, QStringLiteral("-compress"), QStringLiteral("None"),
                                               QStringLiteral("BMP3:out.bmp")}
                                << 40 << 8 << 0;
        QTest::newRow("1 bit") << QStringLiteral("bw.png")
                               << QStringList{QStringLiteral("-type"), QStringLiteral("Bilevel"), QStringLiteral("BMP3:out.bmp")}
                               << 40 << 1 << 0;
        QTest::newRow("24 bits")
            << c << QStringList{QStringLiteral("-type"), QStringLiteral("TrueColor"), QStringLiteral("BMP3:out.bmp")} << 40
            << 24 << 0;
        QTest::newRow("8 bits, run-length coded")
            << c
            << QStringList{QStringLiteral("-type"), QStringLiteral("Palette"), QStringLiteral("-compress"),
                           QStringLiteral("RLE"), QStringLiteral("BMP3:out.bmp")}
            << 40 << 8 << 1;
        QTest::newRow("OS/2 4 bits") << c << QStringList{type, palette, QStringLiteral("BMP2:out.bmp")} << 12 << 4 << 0;
        QTest::newRow("OS/2 24 bits")
            << c << QStringList{QStringLiteral("-type"), QStringLiteral("TrueColor"), QStringLiteral("BMP2:out.bmp")} << 12
            << 24 << 0;
        QTest::newRow("OS/2 1 bit")
            << QStringLiteral("bw.png")
            << QStringList{QStringLiteral("-type"), QStringLiteral("Bilevel"), QStringLiteral("BMP2:out.bmp")} << 12 << 1
            << 0;
        QTest::newRow("V5 4 bits") << c << QStringList{type, palette, QStringLiteral("BMP:out.bmp")} << 124 << 4 << 0;
        QTest::newRow("V5 24 bits")
            << c << QStringList{QStringLiteral("-type"), QStringLiteral("TrueColor"), QStringLiteral("BMP:out.bmp")} << 124
            << 24 << 0;
        QTest::newRow("V5 16 bits 5-6-5")
            << c
            << QStringList{QStringLiteral("-type"), QStringLiteral("TrueColor"), QStringLiteral("-define"),
                           QStringLiteral("bmp:subtype=RGB565"), QStringLiteral("BMP:out.bmp")}
            << 124 << 16 << 3;
        QTest::newRow("V5 16 bits 5-5-5")
            << c
            << QStringList{QStringLiteral("-type"), QStringLiteral("TrueColor"), QStringLiteral("-define"),
                           QStringLiteral("bmp:subtype=RGB555"), QStringLiteral("BMP:out.bmp")}
            << 124 << 16 << 3;
        QTest::newRow("V5 32 bits with alpha")
            << c << QStringList{QStringLiteral("-type"), QStringLiteral("TrueColorAlpha"), QStringLiteral("BMP:out.bmp")}
            << 124 << 32 << 3;
    }

    void imageMagick()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, arguments);
        if (m_convert.isEmpty())
            QSKIP("ImageMagick's convert is not installed");
        QProcess convert;
        convert.setWorkingDirectory(m_dir.path());
        QFile::remove(m_dir.filePath(QStringLiteral("out.bmp")));
        convert.start(m_convert, QStringList{source} + arguments);
        QVERIFY(convert.waitForFinished(30000));
        QCOMPARE(convert.exitCode(), 0);

        QFile file(m_dir.filePath(QStringLiteral("out.bmp")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        file.close();
        // The file is of the kind this row stands for.
        const int headerSize = int(qFromLittleEndian<quint32>(bytes.constData() + 14));
        QTEST(headerSize, "headerSize");
        QTEST(int(qFromLittleEndian<quint16>(bytes.constData() + (headerSize == 12 ? 24 : 28))), "bits");
        QTEST(headerSize == 12 ? 0 : int(qFromLittleEndian<quint32>(bytes.constData() + 30)), "compression");

        const QImage expected(m_dir.filePath(source));
        QImage got;
        try {
            got = readBmpFile(file.fileName());
        } catch (const KuvaroError& e) {
            QFAIL(qPrintable(e.message()));
        }
        const QString difference = firstDifference(got, expected.convertToFormat(QImage::Format_RGB32),
                                                   significantBits(QTest::currentDataTag()));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void broken_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        for (const BrokenFile& b : brokenFiles())
            QTest::newRow(b.name) << b.bytes << b.message;
    }

    void broken()
    {
        QFETCH(QByteArray, bytes);
        const QString path = write(QStringLiteral("broken.bmp"), bytes);
        QTEST(readFailure(path), "message");
    }

    void missingFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("nicht-da.bmp"));
        QCOMPARE(readFailure(path), QStringLiteral("Die Datei \"%1\" kann nicht geöffnet werden").arg(path));
    }

    // The largest picture Qt's reader takes opens, in any shape.
    void largestPicture_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("square") << 16384 << 16384;
        QTest::newRow("one line") << 4194304 << 64;
    }

    void largestPicture()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        BmpFile f;
        f.width = width;
        f.height = height;
        f.bits = 1;
        f.palette = {qRgb(255, 255, 255), qRgb(0, 0, 0)};
        // Black where x equals y modulo 1000: a pattern that shows a misplaced line.
        const int rowBytes = (width + 31) / 32 * 4;
        f.pixels = QByteArray(qsizetype(rowBytes) * height, '\0');
        for (int y = 0; y < height; ++y) {
            const int r = height - 1 - y;
            for (int x = y % 1000; x < width; x += 1000)
                f.pixels[qsizetype(r) * rowBytes + x / 8] = char(f.pixels[qsizetype(r) * rowBytes + x / 8] | (0x80 >> (x % 8)));
        }
        const QString path = write(QStringLiteral("largest.bmp"), f.bytes());
        f.pixels.clear();
        const QImage got = readBmpFile(path, qint64(64) << 30);
        QCOMPARE(got.size(), QSize(width, height));
        for (int y : {0, 1, height / 2, height - 1}) {
            for (int x : {0, 1, y % 1000, y % 1000 + 1000, width - 1}) {
                const QRgb expected = (x % 1000 == y % 1000) ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
                QCOMPARE(got.pixel(x, y), expected);
            }
        }
        QFile::remove(path);
    }

    // A picture that decodes to more than Qt's default limit of 128 MB opens,
    // whatever the limit stands at.
    void aboveQtsDefaultLimit()
    {
        QImageReader::setAllocationLimit(128);
        const int w = 6000, h = 6000; // 144 MB at 32 bits
        BmpFile f;
        f.width = w;
        f.height = h;
        f.bits = 24;
        const qsizetype rowBytes = qsizetype(w) * 3;
        f.pixels = QByteArray(rowBytes * h, char(0xC0));
        // One red pixel on the top line, one blue pixel on the bottom line.
        char* red = f.pixels.data() + (h - 1) * rowBytes + 3 * 17;
        red[0] = 0;
        red[1] = 0;
        red[2] = char(255);
        char* blue = f.pixels.data() + 3 * (w - 1);
        blue[0] = char(255);
        blue[1] = 0;
        blue[2] = 0;
        const QString path = write(QStringLiteral("above-limit.bmp"), f.bytes());
        f.pixels.clear();
        const QImage got = readBmpFile(path, qint64(64) << 30);
        QCOMPARE(got.size(), QSize(w, h));
        QCOMPARE(got.pixel(17, 0), qRgb(255, 0, 0));
        QCOMPARE(got.pixel(w - 1, h - 1), qRgb(0, 0, 255));
        QCOMPARE(got.pixel(3000, 3000), qRgb(0xC0, 0xC0, 0xC0));
        QFile::remove(path);
    }

    void notEnoughMemory()
    {
        const QString path = write(QStringLiteral("memory.bmp"), plain24(100, 100).bytes());
        const QString message = readFailure(path, qint64(1) << 20);
        QVERIFY2(message.startsWith(QStringLiteral("Für das Bild mit 100 x 100 Pixeln reicht der Arbeitsspeicher nicht: "
                                                   "es braucht ")),
                 qPrintable(message));
        QVERIFY2(message.endsWith(QStringLiteral(" MB, frei sind 1 MB")), qPrintable(message));
        // With enough memory the same file opens.
        QCOMPARE(readBmpFile(path, qint64(1) << 32).size(), QSize(100, 100));
    }

    void memoryNeed()
    {
        // The pristine and the working bitmap at 4 bytes a pixel at least, more
        // for a file picture that decodes to another format first.
        const QSize size(1000, 1000);
        QVERIFY(openedPictureBytes(size, 24) >= 8 * 1000 * 1000);
        QVERIFY(openedPictureBytes(size, 8) >= openedPictureBytes(size, 24) + 1000 * 1000);
        QVERIFY(openedPictureBytes(size, 1) > openedPictureBytes(size, 24));
        const qint64 need = openedPictureBytes(size, 24);
        QVERIFY(pictureSizeRefusal(size, 24, need).isEmpty());
        QVERIFY(!pictureSizeRefusal(size, 24, need - 1).isEmpty());
        QVERIFY(pictureSizeRefusal(QSize(16384, 16384), 24, -1).isEmpty());
        QVERIFY(availableMemoryBytes() > 0);
    }
};

KUVARO_CORE_TEST_MAIN(TestBmpReader)
#include "tst_bmpreader.moc"
