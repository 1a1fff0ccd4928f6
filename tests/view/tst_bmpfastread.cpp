// The fast reading of uncompressed 24-bit, 32-bit and 8-bit palette pictures
// gives what Qt's reader gives: the same pixels for every picture, and the
// same refusal for every file cut short.

#include "core/Errors.h"
#include "common/CoreTestMain.h"
#include "common/Pictures.h"
#include "view/BmpCorpus.h"
#include "view/BmpFastRead.h"
#include "view/BmpReader.h"
#include "view/PictureMemory.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <sys/syscall.h>
#include <unistd.h>

using namespace kuvaro;
using namespace kuvaro::test;

namespace {

// How many more writes into a memory file succeed; -1: all of them.
std::atomic<int> pwritesLeft{-1};

} // namespace

// Interposed: the picture's memory file runs out of room, as it does when
// the system's memory is used up while a picture is read.
extern "C" ssize_t pwrite(int fd, const void* from, size_t bytes, off_t offset)
{
    int left = pwritesLeft.load();
    while (left > 0 && !pwritesLeft.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 0) {
        errno = ENOMEM;
        return -1;
    }
    return ::syscall(SYS_pwrite64, fd, from, bytes, offset);
}

namespace {

// The picture, or the message of the refusal.
struct Outcome
{
    QImage picture;
    QString refusal;
};

Outcome readWith(bool fast, const QString& path)
{
    setFastBmpReading(fast);
    Outcome o;
    try {
        o.picture = readBmpFile(path, -1);
    } catch (const KuvaroError& e) {
        o.refusal = e.message();
    }
    setFastBmpReading(true);
    return o;
}

bool samePixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.format() != b.format())
        return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), size_t(a.width()) * 4) != 0)
            return false;
    return true;
}

BmpFile file(int width, int height, int bits, bool topDown, int headerSize = 40)
{
    BmpFile f;
    f.headerSize = headerSize;
    f.width = width;
    f.height = topDown ? -height : height;
    f.bits = bits;
    if (bits == 8)
        f.palette = testPalette(256);
    f.pixels = packRows(width, height, bits, topDown, [bits](int x, int y) {
        const QRgb c = testColour(x, y);
        if (bits == 8)
            return quint32((x * 7 + y * 13) % 256);
        // Something in the unused fourth byte of 32-bit pixels.
        return bits == 32 ? (c & 0xFFFFFFu) | quint32((x * 31 + y) & 0xFF) << 24 : c;
    });
    return f;
}

} // namespace

class TestBmpFastRead : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void sameAsQt_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        // Bytes at the end that the pixels do not need.
        QTest::addColumn<int>("spare");
        // Files of a few hundred bytes are cut at every length, larger ones
        // at the edges of the headers, the rows and the read batches.
        for (int bits : {24, 32, 8}) {
            for (bool topDown : {false, true}) {
                for (int width : {1, 2, 3, 5, 6, 7, 13, 17}) {
                    QTest::addRow("%d bits, %s, %d x 3", bits, topDown ? "top-down" : "bottom-up", width)
                        << file(width, 3, bits, topDown).bytes() << 0;
                }
                QTest::addRow("%d bits, %s, 700 x 1600, several batches", bits, topDown ? "top-down" : "bottom-up")
                    << file(700, 1600, bits, topDown).bytes() << 0;
            }
            for (int headerSize : {12, 56, 64, 108, 124}) {
                if (bits == 32 && headerSize == 12)
                    continue;
                QTest::addRow("%d bits, %d-byte header", bits, headerSize)
                    << file(9, 4, bits, false, headerSize).bytes() << 0;
            }
        }
        BmpFile shortPalette = file(11, 5, 8, false);
        shortPalette.palette = testPalette(5);
        QTest::newRow("8 bits, indices beyond the palette") << shortPalette.bytes() << 0;
        BmpFile cut = shortPalette;
        cut.coloursUsed = 0;
        QTest::newRow("8 bits, palette cut short by the data offset") << cut.bytes() << 0;
        BmpFile gap = file(13, 7, 24, false);
        gap.gapBeforePixels = 10;
        QTest::newRow("24 bits, unused bytes before the pixels") << gap.bytes() << 0;
        BmpFile zero = gap;
        zero.offBits = 0;
        // The pixels are taken to follow the headers, so the last 10 bytes are spare.
        QTest::newRow("24 bits, data offset zero") << zero.bytes() << 10;
        BmpFile longer = file(13, 7, 32, true);
        longer.pixels.append(100, '\x7f');
        QTest::newRow("32 bits, bytes after the pixels") << longer.bytes() << 100;
    }

    void sameAsQt()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, spare);
        // A new file for each cut: cutting a file short in place makes the
        // file system write it to disk before it is closed.
        const QString path = m_dir.filePath(QStringLiteral("p.bmp"));
        QList<qsizetype> cuts;
        if (bytes.size() <= 8192) {
            for (qsizetype n = 0; n <= bytes.size(); ++n)
                cuts.append(n);
        } else {
            const qsizetype rowBytes = (700 * qsizetype(bytes.at(28)) + 31) / 32 * 4;
            const qsizetype start = bytes.size() - rowBytes * 1600;
            // Lines go in batches of half a megabyte of 32-bit pixels.
            const qsizetype batch = (qsizetype(512) << 10) / (700 * 4) * rowBytes;
            cuts = {0, 14, 53, start, start + 1, start + rowBytes, bytes.size() / 2, start + batch,
                    start + batch + 1, bytes.size() - rowBytes, bytes.size() - 1, bytes.size()};
        }
        for (qsizetype n : cuts) {
            {
                QFile::remove(path);
                QFile f(path);
                QVERIFY(f.open(QIODevice::WriteOnly));
                QCOMPARE(f.write(bytes.left(n)), n);
            }
            const Outcome qt = readWith(false, path);
            // Into ordinary memory, and into a memory file written by a thread of its own.
            for (PictureMemoryKind kind : {PictureMemoryKind::Ordinary, PictureMemoryKind::CopyOnWrite}) {
                setPictureMemoryKind(kind);
                const Outcome fast = readWith(true, path);
                setPictureMemoryKind(PictureMemoryKind::Automatic);
                QVERIFY2(fast.refusal == qt.refusal, qPrintable(QStringLiteral("%1 bytes: \"%2\", Qt: \"%3\"")
                                                                    .arg(n)
                                                                    .arg(fast.refusal, qt.refusal)));
                QVERIFY2(samePixels(fast.picture, qt.picture), qPrintable(QStringLiteral("%1 bytes").arg(n)));
                // A file cut inside its pixels is refused.
                QCOMPARE(fast.picture.isNull(), n < bytes.size() - spare);
            }
        }
        // The last cut is the whole file, a picture.
        QVERIFY(!readWith(true, path).picture.isNull());
    }

    // Lines the memory file cannot take are a refusal, never a picture with
    // holes, however many batches went in before.
    void memoryFileFull()
    {
        const QString path = m_dir.filePath(QStringLiteral("full.bmp"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file(700, 1600, 24, false).bytes());
        f.close();
        setPictureMemoryKind(PictureMemoryKind::CopyOnWrite);
        for (int left : {0, 3}) {
            pwritesLeft = left;
            const Outcome o = readWith(true, path);
            pwritesLeft = -1;
            QVERIFY(o.picture.isNull());
            QVERIFY2(o.refusal.contains(QStringLiteral("reicht der Arbeitsspeicher nicht")), qPrintable(o.refusal));
        }
        QVERIFY(!readWith(true, path).picture.isNull());
        setPictureMemoryKind(PictureMemoryKind::Automatic);
    }
};

KUVARO_CORE_TEST_MAIN(TestBmpFastRead)
#include "tst_bmpfastread.moc"
