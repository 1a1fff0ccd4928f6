#pragma once
// BMP files made byte by byte for the reader tests: a writer that puts every
// header field where the format says, pixel packers, hand-made run-length
// streams, and the broken files with the message each must give.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QtEndian>

#include <climits>
#include <functional>

namespace kuvaro::test {

inline void putU16(QByteArray& b, quint16 v)
{
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}
inline void putU32(QByteArray& b, quint32 v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}
inline void putS32(QByteArray& b, qint32 v) { putU32(b, quint32(v)); }

// One BMP file as it lies on disk.
struct BmpFile
{
    int headerSize = 40;
    qint64 width = 0;
    qint64 height = 0; // negative: top-down
    int bits = 24;
    quint32 compression = 0;
    int planes = 1;
    QList<QRgb> palette; // written in full
    qint64 coloursUsed = -1; // -1: the palette's length (0 without palette)
    quint32 masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    QByteArray pixels; // the pixel data as stored
    int gapBeforePixels = 0; // unused bytes between the tables and the pixels
    qint64 offBits = -1; // -1: where the pixels really start

    QByteArray bytes() const
    {
        QByteArray info;
        if (headerSize == 12) {
            putU32(info, 12);
            putU16(info, quint16(width));
            putU16(info, quint16(height));
            putU16(info, quint16(planes));
            putU16(info, quint16(bits));
        } else {
            putU32(info, quint32(headerSize));
            putS32(info, qint32(width));
            putS32(info, qint32(height));
            putU16(info, quint16(planes));
            putU16(info, quint16(bits));
            putU32(info, compression);
            putU32(info, quint32(pixels.size()));
            putS32(info, 2835);
            putS32(info, 2835);
            putU32(info, quint32(coloursUsed >= 0 ? coloursUsed : palette.size()));
            putU32(info, 0);
            if (headerSize >= 52 && headerSize != 64) {
                for (int i = 0; i < 3; ++i)
                    putU32(info, masks[i]);
            }
            if (headerSize >= 56 && headerSize != 64)
                putU32(info, masks[3]);
            if (headerSize >= 108) {
                putU32(info, 0x73524742); // 'sRGB'
                info.append(QByteArray(36 + 12, '\0'));
            }
            if (headerSize >= 124) {
                putU32(info, 4); // intent
                putU32(info, 0);
                putU32(info, 0);
                putU32(info, 0);
            }
            if (headerSize == 64)
                info.append(QByteArray(24, '\0'));
            if (headerSize == 40 && compression == 3) {
                for (int i = 0; i < 3; ++i)
                    putU32(info, masks[i]);
            }
        }
        for (QRgb c : palette) {
            info.append(char(qBlue(c)));
            info.append(char(qGreen(c)));
            info.append(char(qRed(c)));
            if (headerSize != 12)
                info.append('\0');
        }
        info.append(QByteArray(gapBeforePixels, '\0'));
        const qint64 start = 14 + info.size();
        QByteArray file;
        file.append("BM");
        putU32(file, quint32(start + pixels.size()));
        putU32(file, 0);
        putU32(file, quint32(offBits >= 0 ? offBits : start));
        file.append(info);
        file.append(pixels);
        return file;
    }
};

// Pixel rows as stored: bottom-up unless topDown, each padded to 4 bytes.
// value(x, y) gives a palette index (1, 4, 8 bits), the 16 or 32-bit word,
// or the colour (24 bits) of the pixel at x, y counted from the top.
inline QByteArray packRows(int width, int height, int bits, bool topDown,
                           const std::function<quint32(int x, int y)>& value)
{
    const int rowBytes = (width * bits + 31) / 32 * 4;
    QByteArray out;
    for (int r = 0; r < height; ++r) {
        const int y = topDown ? r : height - 1 - r;
        QByteArray row(rowBytes, '\0');
        auto* b = reinterpret_cast<uchar*>(row.data());
        for (int x = 0; x < width; ++x) {
            const quint32 v = value(x, y);
            switch (bits) {
            case 1:
                b[x / 8] |= uchar((v & 1) << (7 - x % 8));
                break;
            case 4:
                b[x / 2] |= uchar((v & 15) << (x % 2 ? 0 : 4));
                break;
            case 8:
                b[x] = uchar(v);
                break;
            case 16:
                qToLittleEndian<quint16>(quint16(v), b + 2 * x);
                break;
            case 24:
                b[3 * x] = uchar(qBlue(v));
                b[3 * x + 1] = uchar(qGreen(v));
                b[3 * x + 2] = uchar(qRed(v));
                break;
            case 32:
                qToLittleEndian<quint32>(v, b + 4 * x);
                break;
            }
        }
        out.append(row);
    }
    return out;
}

// Distinct colours for palettes.
inline QList<QRgb> testPalette(int n)
{
    QList<QRgb> p;
    for (int i = 0; i < n; ++i)
        p.append(qRgb((i * 67 + 20) % 256, (i * 151 + 90) % 256, (i * 37 + 200) % 256));
    return p;
}

// The colour of each pixel of the test pictures with true colour.
inline QRgb testColour(int x, int y) { return qRgb((x * 19 + 7) % 256, (y * 37 + 11) % 256, (x * y * 11 + 50) % 256); }

// An 8-bit run-length picture 6 x 4 using every kind of code: runs, a run of
// single pixels, ends of line, a jump that skips the rest of one line and the
// start of the next, and the end of the picture. Skipped pixels are index 0.
struct RunLengthSample
{
    int width;
    int height;
    QByteArray stream;
    QList<QList<int>> indices; // [y][x], y from the top
};

inline RunLengthSample rle8Sample()
{
    RunLengthSample s{6, 4, {}, {}};
    const char stream[] = {
        // bottom line (y 3): three of 1, then 2, 3, 4 one by one (padded), end of line
        3, 1, 0, 3, 2, 3, 4, 0, 0, 0,
        // y 2: six of 5, end of line
        6, 5, 0, 0,
        // y 1: two of 3, then a jump 2 right and 1 up, to x 4 of y 0
        2, 3, 0, 2, 2, 1,
        // y 0: two of 6 at x 4 and 5, end of picture
        2, 6, 0, 1};
    s.stream = QByteArray(stream, sizeof(stream));
    s.indices = {{0, 0, 0, 0, 6, 6}, {3, 3, 0, 0, 0, 0}, {5, 5, 5, 5, 5, 5}, {1, 1, 1, 2, 3, 4}};
    return s;
}

// A 4-bit run-length picture 8 x 3: runs of two alternating colours, single
// pixels in odd and even counts (with padding), a jump and an early end.
inline RunLengthSample rle4Sample()
{
    RunLengthSample s{8, 3, {}, {}};
    const unsigned char stream[] = {
        // bottom line (y 2): five of 1,2,1,2,1; then 3, 4, 5 one by one; end of line
        5, 0x12, 0, 3, 0x34, 0x50, 0, 0,
        // y 1: 6, 7, 8, 9, 10 one by one (three bytes, padded), then three of 11,12,11; end of line
        0, 5, 0x67, 0x89, 0xA0, 0, 3, 0xBC, 0, 0,
        // y 0: jump 3 right, two of 13,14, end of picture
        0, 2, 3, 0, 2, 0xDE, 0, 1};
    s.stream = QByteArray(reinterpret_cast<const char*>(stream), sizeof(stream));
    s.indices = {{0, 0, 0, 13, 14, 0, 0, 0}, {6, 7, 8, 9, 10, 11, 12, 11}, {1, 2, 1, 2, 1, 3, 4, 5}};
    return s;
}

// A valid 24-bit picture of the given size.
inline BmpFile plain24(int width, int height)
{
    BmpFile f;
    f.width = width;
    f.height = height;
    f.bits = 24;
    f.pixels = packRows(width, height, 24, false, [](int x, int y) { return testColour(x, y); });
    return f;
}

// A run-length coded file of the sample: compression 1 for 8 bits, 2 for 4 bits.
inline BmpFile runLengthFile(const RunLengthSample& s, int bits, quint32 compression, int paletteSize)
{
    BmpFile f;
    f.width = s.width;
    f.height = s.height;
    f.bits = bits;
    f.compression = compression;
    f.palette = testPalette(paletteSize);
    f.pixels = s.stream;
    return f;
}

inline BmpFile rle8File() { return runLengthFile(rle8Sample(), 8, 1, 8); }
inline BmpFile rle4File() { return runLengthFile(rle4Sample(), 4, 2, 16); }

inline BmpFile headerOnly(qint64 width, qint64 height, int bits = 24)
{
    BmpFile f;
    f.width = width;
    f.height = height;
    f.bits = bits;
    f.pixels = QByteArray(64, '\0');
    return f;
}

inline const QString& invalidMessage()
{
    static const QString m = QStringLiteral("Bitmap ist ungültig");
    return m;
}

// A file that cannot be opened and the message that says why.
struct BrokenFile
{
    const char* name;
    QByteArray bytes;
    QString message;
};

inline QList<BrokenFile> brokenFiles()
{
    const QString invalid = invalidMessage();
    QList<BrokenFile> list;
    const QByteArray good = plain24(9, 5).bytes();
    list.append({"empty", QByteArray(), invalid});
    list.append({"signature alone", QByteArray("BM"), invalid});
    list.append({"file header cut", good.left(10), invalid});
    list.append({"info header cut", good.left(30), invalid});
    list.append({"no pixels at all", good.left(54), invalid});
    list.append({"pixels cut", good.left(good.size() - 5), invalid});
    list.append({"last line missing", good.left(good.size() - 28), invalid});
    {
        BmpFile f = plain24(9, 5);
        f.offBits = good.size() + 100;
        list.append({"pixel offset past the end", f.bytes(), invalid});
    }
    {
        BmpFile f;
        f.width = 9;
        f.height = 5;
        f.bits = 8;
        f.palette = testPalette(256);
        f.pixels = packRows(9, 5, 8, false, [](int x, int y) { return quint32(x + y); });
        list.append({"palette cut", f.bytes().left(14 + 40 + 500), invalid});
    }
    {
        BmpFile f = rle8File();
        f.pixels.chop(2); // without the end-of-picture code the last lines stay unwritten
        list.append({"run-length stream cut", f.bytes(), invalid});
    }
    {
        BmpFile f = rle8File();
        f.pixels[0] = 9; // a run of 9 in a line of 6, past its padding to 8
        list.append({"run past the end of a line", f.bytes(), invalid});
    }
    {
        BmpFile f = rle8File();
        // a run of 3 after the 6 of the second line: past its padding to 8
        f.pixels.insert(12, QByteArray("\x03\x05", 2));
        list.append({"runs past the padding of a line", f.bytes(), invalid});
    }
    {
        BmpFile f = rle8File();
        f.pixels[3] = 5; // single pixels past the end of the first line
        f.pixels.insert(7, QByteArray("\x05\x05", 2));
        list.append({"single pixels past the end of the first line", f.bytes(), invalid});
    }
    {
        BmpFile f = rle8File();
        f.pixels[19] = 4; // the jump goes 4 lines up from the second line of 4
        list.append({"jump out of the picture", f.bytes(), invalid});
    }
    {
        BmpFile f = rle4File();
        f.pixels = f.pixels.left(11); // inside the run of single pixels
        list.append({"4-bit run-length stream cut", f.bytes(), invalid});
    }
    {
        BmpFile f = rle8File();
        f.height = -f.height;
        list.append({"run-length picture stored top-down", f.bytes(), invalid});
    }
    list.append({"huge", headerOnly(100000, 100000).bytes(),
                 QStringLiteral("Das Bild ist mit 100000 x 100000 Pixeln zu groß: möglich sind höchstens "
                                "268.435.456 Pixel")});
    list.append({"one line more than Qt takes", headerOnly(16384, 16385).bytes(),
                 QStringLiteral("Das Bild ist mit 16384 x 16385 Pixeln zu groß: möglich sind höchstens "
                                "268.435.456 Pixel")});
    list.append({"absurd", headerOnly(INT_MAX, INT_MAX).bytes(),
                 QStringLiteral("Das Bild ist mit 2147483647 x 2147483647 Pixeln zu groß: möglich sind höchstens "
                                "268.435.456 Pixel")});
    list.append({"wider than a line can be", headerOnly(70000000, 1, 1).bytes(),
                 QStringLiteral("Das Bild ist mit 70000000 x 1 Pixeln zu breit: möglich sind höchstens 67.108.863 "
                                "Pixel in einer Zeile")});
    list.append({"zero width", headerOnly(0, 5).bytes(), invalid});
    list.append({"zero height", headerOnly(5, 0).bytes(), invalid});
    list.append({"negative width", headerOnly(-5, 5).bytes(), invalid});
    list.append({"height at the lowest integer", headerOnly(5, INT_MIN).bytes(), invalid});
    {
        QByteArray b = good;
        b[0] = 'M';
        b[1] = 'B';
        list.append({"wrong signature", b, invalid});
    }
    {
        QImage img(9, 5, QImage::Format_RGB32);
        img.fill(Qt::red);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        img.save(&buffer, "PNG");
        list.append({"PNG picture named .bmp", png, invalid});
    }
    {
        QByteArray b = good;
        qToLittleEndian<quint32>(20, b.data() + 14);
        list.append({"unknown header size", b, invalid});
    }
    // The good 24-bit file with one header field that does not fit.
    auto changed = [](const std::function<void(BmpFile&)>& change) {
        BmpFile f = plain24(9, 5);
        change(f);
        return f.bytes();
    };
    list.append({"2 bits a pixel", changed([](BmpFile& f) { f.bits = 2; }), invalid});
    list.append({"two planes", changed([](BmpFile& f) { f.planes = 2; }), invalid});
    list.append({"JPEG inside", changed([](BmpFile& f) { f.compression = 4; }), invalid});
    list.append({"run-length code on 24 bits", changed([](BmpFile& f) { f.compression = 1; }), invalid});
    list.append({"colour masks on 24 bits", changed([](BmpFile& f) { f.compression = 3; }), invalid});
    {
        BmpFile f;
        f.headerSize = 64;
        f.width = 4;
        f.height = 4;
        f.bits = 16;
        f.compression = 3; // Huffman coding in an OS/2 header
        f.pixels = QByteArray(64, '\0');
        list.append({"OS/2 Huffman coding", f.bytes(), invalid});
    }
    {
        BmpFile f;
        f.headerSize = 12;
        f.width = 4;
        f.height = 4;
        f.bits = 32;
        f.pixels = QByteArray(64, '\0');
        list.append({"OS/2 core header with 32 bits", f.bytes(), invalid});
    }
    return list;
}

} // namespace kuvaro::test
