#include "view/BmpReader.h"

#include "core/Errors.h"
#include "view/BmpFastRead.h"
#include "view/PictureMemory.h"

#include <QFile>
#include <QImageReader>
#include <QList>
#include <QtEndian>

#include <algorithm>
#include <climits>
#include <cstring>

namespace kuvaro {

namespace {

constexpr int FileHeaderSize = 14;
constexpr int PlainInfoHeaderSize = 40;
constexpr quint32 BiRgb = 0;
constexpr quint32 BiRle8 = 1;
constexpr quint32 BiRle4 = 2;
constexpr quint32 BiBitfields = 3;
// Everything before the pixel data lies within the first bytes: the longest
// header (124 bytes) and the largest palette (256 entries of 4 bytes).
constexpr qint64 HeadBytes = 2048;

[[noreturn]] void refuseInvalid() { throw invalidPicture(); }

quint16 u16(const QByteArray& b, int at) { return qFromLittleEndian<quint16>(b.constData() + at); }
quint32 u32(const QByteArray& b, int at) { return qFromLittleEndian<quint32>(b.constData() + at); }
qint32 s32(const QByteArray& b, int at) { return qFromLittleEndian<qint32>(b.constData() + at); }

// What the file's headers say, checked for sense.
struct Layout
{
    int headerSize = 0;
    int width = 0;
    int height = 0; // always positive
    bool topDown = false;
    int bits = 0;
    quint32 compression = BiRgb;
    quint32 masks[3] = {0, 0, 0};
    QList<QRgb> palette; // 1 << bits entries for pictures with a palette
    qint64 dataStart = 0;

    bool runLength() const { return compression == BiRle8 || compression == BiRle4; }
    qint64 rowBytes() const { return (qint64(width) * bits + 31) / 32 * 4; }
};

Layout readLayout(const QByteArray& head, qint64 fileSize)
{
    if (head.size() < 2 || head.at(0) != 'B' || head.at(1) != 'M')
        refuseInvalid();
    if (head.size() < FileHeaderSize + 4)
        refuseInvalid();
    Layout l;
    const quint32 offBits = u32(head, 10);
    const quint32 headerSize = u32(head, 14);
    // 12: OS/2 1.x core header; 40: Windows; 52 and 56: Windows with masks
    // (Adobe); 64: OS/2 2.x; 108 and 124: Windows V4 and V5.
    switch (headerSize) {
    case 12: case 40: case 52: case 56: case 64: case 108: case 124:
        break;
    default:
        refuseInvalid();
    }
    if (head.size() < FileHeaderSize + qsizetype(headerSize))
        refuseInvalid();
    l.headerSize = int(headerSize);

    int planes = 0;
    qint64 height = 0;
    quint32 coloursUsed = 0;
    if (headerSize == 12) {
        l.width = u16(head, 18);
        height = u16(head, 20);
        planes = u16(head, 22);
        l.bits = u16(head, 24);
    } else {
        l.width = s32(head, 18);
        height = s32(head, 22);
        planes = u16(head, 26);
        l.bits = u16(head, 28);
        l.compression = u32(head, 30);
        coloursUsed = u32(head, 46);
    }
    if (planes != 1)
        refuseInvalid();
    switch (l.bits) {
    case 1: case 4: case 8: case 24:
        break;
    case 16: case 32:
        if (headerSize == 12)
            refuseInvalid();
        break;
    default:
        refuseInvalid();
    }
    switch (l.compression) {
    case BiRgb:
        break;
    case BiRle8:
        if (l.bits != 8)
            refuseInvalid();
        break;
    case BiRle4:
        if (l.bits != 4)
            refuseInvalid();
        break;
    case BiBitfields:
        // In an OS/2 2.x header the value 3 means Huffman coding.
        if ((l.bits != 16 && l.bits != 32) || headerSize == 64)
            refuseInvalid();
        break;
    default:
        refuseInvalid();
    }
    if (l.width <= 0 || height == 0 || height == qint64(INT_MIN))
        refuseInvalid();
    l.topDown = height < 0;
    l.height = int(height < 0 ? -height : height);
    // Run-length encoded pictures are always stored bottom-up.
    if (l.topDown && l.runLength())
        refuseInvalid();

    // The colour masks follow the 40 bytes of the plain header, inside the
    // longer headers and after the plain one.
    qint64 tablesStart = FileHeaderSize + qint64(headerSize);
    if (l.compression == BiBitfields) {
        if (headerSize == 40)
            tablesStart += 12;
        if (head.size() < FileHeaderSize + PlainInfoHeaderSize + 12 || fileSize < tablesStart)
            refuseInvalid();
        for (int i = 0; i < 3; ++i)
            l.masks[i] = u32(head, FileHeaderSize + PlainInfoHeaderSize + 4 * i);
    }

    qint64 paletteEntries = 0;
    const int entryBytes = headerSize == 12 ? 3 : 4;
    if (l.bits <= 8) {
        const qint64 full = qint64(1) << l.bits;
        paletteEntries = coloursUsed ? std::min<qint64>(coloursUsed, full) : full;
        // A data offset inside the palette cuts it short; colours it leaves
        // out are black.
        if (offBits >= tablesStart)
            paletteEntries = std::min<qint64>(paletteEntries, (offBits - tablesStart) / entryBytes);
        const qint64 paletteEnd = tablesStart + paletteEntries * entryBytes;
        if (paletteEnd > fileSize || paletteEnd > head.size())
            refuseInvalid();
        l.palette.fill(qRgb(0, 0, 0), full);
        for (qint64 i = 0; i < paletteEntries; ++i) {
            const auto* e = reinterpret_cast<const uchar*>(head.constData() + tablesStart + i * entryBytes);
            l.palette[i] = qRgb(e[2], e[1], e[0]);
        }
    }
    // A data offset that points into the headers is taken to mean "right
    // after them", which is where the pixels of such files stand.
    l.dataStart = offBits >= tablesStart ? qint64(offBits) : tablesStart + paletteEntries * entryBytes;
    return l;
}

// Whether a run-length encoded pixel stream is complete (it ends with the
// end-of-picture code, or after its last line) and every run and jump stays
// inside the picture. Some writers (ImageMagick among them) let runs cover the
// padding of a line up to the next 4 pixels; Qt writes those into the padding
// of its own line, where they do no harm, except on the first line, where it
// cuts runs short and would lose its place in the stream after a cut run of
// single pixels.
bool runLengthStreamComplete(const uchar* p, qint64 n, int width, int height, bool fourBit)
{
    const qint64 padded = (qint64(width) + 3) / 4 * 4;
    qint64 i = 0;
    qint64 x = 0;
    qint64 y = 0;
    while (y < height) {
        if (i + 2 > n)
            return false;
        const int count = p[i];
        const int code = p[i + 1];
        i += 2;
        if (count > 0) { // a run of one colour (or of two alternating ones)
            if (x + count > padded)
                return false;
            x += count;
            continue;
        }
        switch (code) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of picture
            return true;
        case 2: // jump
            if (i + 2 > n)
                return false;
            x += p[i];
            y += p[i + 1];
            i += 2;
            if (x > width || y >= height)
                return false;
            break;
        default: { // `code` pixels given one by one, padded to a 16-bit boundary
            const qint64 bytes = fourBit ? (code + 1) / 2 : code;
            if (x + code > (y == 0 ? width : padded) || i + bytes > n)
                return false;
            x += code;
            i += bytes + (bytes & 1);
        }
        }
    }
    return true;
}

// Large files are read in pieces of this size, with a progress report before each.
constexpr qint64 ReadPiece = qint64(8) << 20;

[[noreturn]] void refuseCancelled() { throw ReadCancelled(); }

// The file has all the pixel data its headers promise.
void checkPixelData(QFile& file, const Layout& l, qint64 fileSize, const ReadProgress& progress)
{
    if (l.dataStart >= fileSize)
        refuseInvalid();
    if (!l.runLength()) {
        if (l.rowBytes() * l.height > fileSize - l.dataStart)
            refuseInvalid();
        return;
    }
    const qint64 n = fileSize - l.dataStart;
    if (!file.seek(l.dataStart))
        refuseInvalid();
    QByteArray data(n, Qt::Uninitialized);
    for (qint64 at = 0; at < n;) {
        if (progress && !progress(at, 2 * n))
            refuseCancelled();
        const qint64 got = file.read(data.data() + at, std::min(ReadPiece, n - at));
        if (got <= 0)
            refuseInvalid();
        at += got;
    }
    if (!runLengthStreamComplete(reinterpret_cast<const uchar*>(data.constData()), n, l.width, l.height,
                                 l.compression == BiRle4))
        refuseInvalid();
}

// A plain 40-byte header version of the file's headers, with masks and a full
// 4-byte palette, and the pixel data right behind it.
QByteArray plainHeaders(const Layout& l, qint64 pixelBytes)
{
    const qsizetype masks = l.compression == BiBitfields ? 12 : 0;
    const qsizetype prefixSize = FileHeaderSize + PlainInfoHeaderSize + masks + l.palette.size() * 4;
    QByteArray h(prefixSize, '\0');
    char* d = h.data();
    d[0] = 'B';
    d[1] = 'M';
    qToLittleEndian<quint32>(quint32(std::min<qint64>(prefixSize + pixelBytes, 0xFFFFFFFFll)), d + 2);
    qToLittleEndian<quint32>(quint32(prefixSize), d + 10);
    char* info = d + FileHeaderSize;
    qToLittleEndian<quint32>(PlainInfoHeaderSize, info);
    qToLittleEndian<qint32>(l.width, info + 4);
    qToLittleEndian<qint32>(l.topDown ? -l.height : l.height, info + 8);
    qToLittleEndian<quint16>(1, info + 12);
    qToLittleEndian<quint16>(quint16(l.bits), info + 14);
    qToLittleEndian<quint32>(l.compression, info + 16);
    qToLittleEndian<quint32>(quint32(l.palette.size()), info + 32);
    char* tables = info + PlainInfoHeaderSize;
    if (masks) {
        for (int i = 0; i < 3; ++i)
            qToLittleEndian<quint32>(l.masks[i], tables + 4 * i);
        tables += masks;
    }
    for (QRgb c : l.palette) {
        *tables++ = char(qBlue(c));
        *tables++ = char(qGreen(c));
        *tables++ = char(qRed(c));
        *tables++ = 0;
    }
    return h;
}

// The plain headers followed by the file's pixel data, as one device for Qt's
// reader. It notes every read that asks for more than there is: the reader
// treats a short file as a success and leaves the missing pixels unwritten.
class PlainBmpDevice : public QIODevice
{
public:
    PlainBmpDevice(QByteArray prefix, QFile* file, qint64 dataStart, qint64 dataLength, const ReadProgress& progress,
                   qint64 progressBase)
        : m_prefix(std::move(prefix)), m_file(file), m_dataStart(dataStart), m_dataLength(dataLength),
          m_progress(progress), m_progressBase(progressBase)
    {
    }

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_prefix.size() + m_dataLength; }
    bool seek(qint64 pos) override
    {
        if (pos < 0 || pos > size())
            return false;
        QIODevice::seek(pos);
        m_pos = pos;
        return true;
    }
    bool ranShort() const { return m_ranShort; }
    bool cancelled() const { return m_cancelled; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        // Cancelling shows as a read error: the reader gives up, and the
        // caller learns why from cancelled(). No exception passes through Qt's reader.
        if (m_cancelled)
            return -1;
        if (m_progress && m_pos >= m_nextReport) {
            m_nextReport = m_pos + ReadPiece;
            if (!m_progress(m_progressBase + m_pos, m_progressBase + size())) {
                m_cancelled = true;
                return -1;
            }
        }
        qint64 done = 0;
        if (m_pos < m_prefix.size()) {
            const qint64 n = std::min<qint64>(maxSize, m_prefix.size() - m_pos);
            std::memcpy(data, m_prefix.constData() + m_pos, size_t(n));
            done = n;
        }
        const qint64 want = std::min(maxSize - done, size() - (m_pos + done));
        if (want > 0) {
            const qint64 at = m_dataStart + (m_pos + done - m_prefix.size());
            if (m_file->pos() != at && !m_file->seek(at)) {
                m_ranShort = true;
                m_pos += done;
                return done > 0 ? done : -1;
            }
            const qint64 got = m_file->read(data + done, want);
            if (got < want)
                m_ranShort = true;
            if (got > 0)
                done += got;
        }
        if (done < maxSize)
            m_ranShort = true;
        m_pos += done;
        return done;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_prefix;
    QFile* m_file;
    qint64 m_dataStart;
    qint64 m_dataLength;
    ReadProgress m_progress;
    qint64 m_progressBase;
    qint64 m_pos = 0;
    qint64 m_nextReport = 0;
    bool m_ranShort = false;
    bool m_cancelled = false;
};

[[noreturn]] void refuseForMemory(QSize size)
{
    throw KuvaroError(QStringLiteral("Für das Bild mit %1 Pixeln reicht der Arbeitsspeicher nicht").arg(pictureSizeText(size)));
}

// The picture in `storage`, filled in; refused when its memory could not take every line.
QImage finished(PictureStorage& storage)
{
    const QSize size = storage.pixels().size();
    QImage done = storage.finish();
    if (done.isNull())
        refuseForMemory(size);
    return done;
}

QImage decode(QFile& file, const Layout& l, qint64 fileSize, const ReadProgress& progress, PictureWatch* watch)
{
    // Qt refuses pictures above 128 MB of decoded pixels by default, with no
    // more than a log line. Here the reader fills memory allocated below,
    // where the limit does not apply; should it ever allocate itself, its BMP
    // reader takes at most 16384 x 16384 pixels, at most 1024 MB decoded: with
    // that limit every picture it can read gets through, and the size checks
    // before have refused the rest.
    if (QImageReader::allocationLimit() != 0 && QImageReader::allocationLimit() < 1024)
        QImageReader::setAllocationLimit(1024);

    const QSize size(l.width, l.height);
    const qint64 pixelBytes = l.runLength() ? fileSize - l.dataStart : l.rowBytes() * l.height;
    // A run-length stream was read once already for its check: progress goes on from half way.
    PlainBmpDevice device(plainHeaders(l, pixelBytes), &file, l.dataStart, pixelBytes, progress,
                          l.runLength() ? pixelBytes + 54 : 0);
    device.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    QImageReader reader(&device, "bmp");
    reader.setDecideFormatFromContent(false);

    PictureStorage storage(size, watch);
    if (storage.isNull())
        refuseForMemory(size);
    QImage& pixels = storage.pixels();
    // The common uncompressed layouts are read without Qt's reader.
    const BmpRows rows{l.width, l.height, l.topDown, l.bits, l.compression, l.dataStart, l.palette};
    if (const FastBmpRead fast = readBmpRowsFast(file, rows, storage, progress); fast != FastBmpRead::NotHandled) {
        if (fast == FastBmpRead::Short)
            refuseInvalid();
        if (fast == FastBmpRead::NoMemory)
            refuseForMemory(size);
        if (fast == FastBmpRead::Cancelled)
            refuseCancelled();
        return finished(storage);
    }

    QImage decoded;
    if (l.bits >= 16) {
        // Read straight into the picture's memory: a second image over the
        // same pixels, which the reader fills in place since size and format
        // match.
        decoded = QImage(pixels.bits(), l.width, l.height, pixels.bytesPerLine(), QImage::Format_RGB32);
    } else {
        decoded = QImage(size, l.bits == 1 ? QImage::Format_Mono : QImage::Format_Indexed8);
        if (decoded.isNull())
            refuseForMemory(size);
        // Pixels that a run-length stream skips keep the first palette colour.
        if (l.runLength())
            decoded.fill(0);
    }
    const uchar* target = decoded.constBits();
    const bool ok = reader.read(&decoded);
    if (device.cancelled())
        refuseCancelled();
    if (!ok || device.ranShort() || decoded.size() != size)
        refuseInvalid();
    if (decoded.constBits() != target || decoded.format() != QImage::Format_RGB32 || l.bits < 16)
        if (!copyConverted(storage, decoded))
            refuseForMemory(size);
    return finished(storage);
}

} // namespace

QImage readBmpFile(const QString& path) { return readBmpFile(path, availableMemoryBytes()); }

QImage readBmpFile(const QString& path, qint64 availableMemory, const ReadProgress& progress, PictureWatch* watch)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw KuvaroError(QStringLiteral("Die Datei \"%1\" kann nicht geöffnet werden").arg(path));
    const qint64 fileSize = file.size();
    const QByteArray head = file.read(std::min(fileSize, HeadBytes));

    const Layout l = readLayout(head, fileSize);
    const QString refusal = pictureSizeRefusal(QSize(l.width, l.height), l.bits, availableMemory);
    if (!refusal.isEmpty())
        throw KuvaroError(refusal);
    checkPixelData(file, l, fileSize, progress);
    return decode(file, l, fileSize, progress, watch);
}

} // namespace kuvaro
