// Writes the seed corpus of the fuzz targets, from the pictures the reader
// tests write byte by byte:
//   write_corpus <folder>   makes <folder>/bmpreader, /calibration, /results
// Run it again when the test pictures change; its output is kept in
// fuzz/corpus.

#include "view/BmpCorpus.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cstdio>

using namespace kuvaro::test;

namespace {

QString g_root;

void put(const QString& target, const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(g_root + u'/' + target);
    QString file = name;
    for (QChar& c : file)
        if (!c.isLetterOrNumber() && c != u'-')
            c = u'-';
    QFile f(g_root + u'/' + target + u'/' + file);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
        std::exit(1);
    }
}

void bmp(const QString& name, const BmpFile& f) { put(QStringLiteral("bmpreader"), name, f.bytes()); }

BmpFile indexed(int bits, int colours, int headerSize = 40)
{
    BmpFile f;
    f.headerSize = headerSize;
    f.width = 13;
    f.height = 7;
    f.bits = bits;
    f.palette = testPalette(colours);
    f.pixels = packRows(13, 7, bits, false, [&](int x, int y) { return quint32((x + 3 * y) % colours); });
    return f;
}

BmpFile trueColour(int bits, quint32 compression, int headerSize, bool topDown = false)
{
    BmpFile f;
    f.headerSize = headerSize;
    f.width = 9;
    f.height = topDown ? -5 : 5;
    f.bits = bits;
    f.compression = compression;
    if (bits == 16 && compression == 3) {
        f.masks[0] = 0xF800;
        f.masks[1] = 0x07E0;
        f.masks[2] = 0x001F;
    } else if (compression == 3) {
        f.masks[0] = 0x00FF0000;
        f.masks[1] = 0x0000FF00;
        f.masks[2] = 0x000000FF;
    }
    f.pixels = packRows(9, 5, bits, topDown, [&](int x, int y) {
        const QRgb c = testColour(x, y);
        if (bits == 16)
            return quint32((qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | (qBlue(c) >> 3));
        return bits == 24 ? quint32(c) : quint32(c & 0xFFFFFF);
    });
    return f;
}

QByteArray s16(int a, int b, int c, int d)
{
    QByteArray out;
    for (int v : {a, b, c, d}) {
        char le[2];
        qToLittleEndian<qint16>(qint16(v), le);
        out.append(le, 2);
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_corpus <folder>\n");
        return 2;
    }
    g_root = QString::fromLocal8Bit(argv[1]);

    // Pictures the reader takes, one of each kind of header and pixel data.
    bmp(QStringLiteral("1-bit"), indexed(1, 2));
    bmp(QStringLiteral("4-bit"), indexed(4, 16));
    bmp(QStringLiteral("4-bit-5-colours"), indexed(4, 5));
    bmp(QStringLiteral("8-bit"), indexed(8, 256));
    bmp(QStringLiteral("8-bit-6-colours"), indexed(8, 6));
    for (int headerSize : {12, 52, 56, 64, 108, 124})
        bmp(QStringLiteral("8-bit-header-%1").arg(headerSize), indexed(8, 40, headerSize));
    bmp(QStringLiteral("16-bit-5-5-5"), trueColour(16, 0, 40));
    bmp(QStringLiteral("16-bit-masks"), trueColour(16, 3, 40));
    bmp(QStringLiteral("16-bit-masks-header-56"), trueColour(16, 3, 56));
    bmp(QStringLiteral("24-bit"), trueColour(24, 0, 40));
    bmp(QStringLiteral("24-bit-top-down-header-124"), trueColour(24, 0, 124, true));
    bmp(QStringLiteral("24-bit-header-12"), trueColour(24, 0, 12));
    bmp(QStringLiteral("32-bit"), trueColour(32, 0, 40));
    bmp(QStringLiteral("32-bit-masks-header-108"), trueColour(32, 3, 108));
    bmp(QStringLiteral("rle8"), rle8File());
    bmp(QStringLiteral("rle4"), rle4File());
    // And the broken files, each refused for its own reason.
    for (const BrokenFile& b : brokenFiles())
        put(QStringLiteral("bmpreader"), QStringLiteral("broken-") + QString::fromLatin1(b.name), b.bytes);

    // Calibrations: positions, the two entries, a list text, read-out positions.
    auto calibration = [](const QString& name, const QByteArray& positions, const char* x, const char* y,
                          const char* text) {
        put(QStringLiteral("calibration"), name,
            positions + x + '\n' + y + '\n' + text + '\n' + s16(400, 190, -3, 2000));
    };
    calibration(QStringLiteral("worked-example"), s16(100, 400, 700, 50), "10", "5", "   5,0");
    calibration(QStringLiteral("dot-entries"), s16(10, 300, 310, 20), "12.5", "0.001", "  -0,0");
    calibration(QStringLiteral("negative"), s16(500, 10, 20, 400), "-250", "-1,5", "1,5e3");
    calibration(QStringLiteral("zero-difference"), s16(1, 2, 3, 4), "0", "0,0", "1,2,3");
    calibration(QStringLiteral("long-entries"), s16(0, 32767, 32767, -32768), "123456789012", "0,000000001", "  12 ");
    calibration(QStringLiteral("same-points"), s16(50, 50, 50, 50), "1", "1", "");

    // Result files: captured points (leading even byte) and list texts (odd).
    put(QStringLiteral("results"), QStringLiteral("captured-worked-example"),
        QByteArray(1, '\0') + s16(100, 400, 700, 50) + "10\n5\n" + s16(100, 50, 400, 190) + s16(700, 400, 0, 0));
    put(QStringLiteral("results"), QStringLiteral("captured-tiny-factors"),
        QByteArray(1, '\0') + s16(0, 1, 1, 0) + "9999999999\n0,00000001\n" + s16(-32768, 32767, 32767, -32768));
    put(QStringLiteral("results"), QStringLiteral("texts-worked-example"),
        QByteArray(1, '\1') + "1\n   0,0\n   5,0\n2\n  10,0\n   7,5\n3\n  20,0\n   6,0\n");
    put(QStringLiteral("results"), QStringLiteral("texts-broken"),
        QByteArray(1, '\1') + "12345678901\n1e308\n-1e308\n2\n\xC3\xA4\n1,2,3\n");
    return 0;
}
