#include "view/PictureReader.h"

#include "core/Errors.h"
#include "view/BmpReader.h"
#include "view/PictureMemory.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace kuvaro {

namespace {

[[noreturn]] void refuseInvalid() { throw invalidPicture(); }

bool isBmp(const QByteArray& head) { return head.startsWith("BM"); }

// The formats this program opens besides BMP, as Qt's plugins name them.
bool openedFormat(const QByteArray& format)
{
    static const QByteArray formats[] = {"png", "jpeg", "gif", "tiff", "webp"};
    return std::find(std::begin(formats), std::end(formats), format) != std::end(formats);
}

QByteArray formatOfBytes(const QByteArray& bytes)
{
    if (isBmp(bytes))
        return "bmp";
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QByteArray format = QImageReader::imageFormat(&buffer);
    if (format == "jpg")
        format = "jpeg";
    if (format == "tif")
        format = "tiff";
    return openedFormat(format) ? format : QByteArray();
}

// Some decoders give a picture with grey or missing rows for a file that ends
// too early and report success; these checks look for the end that a whole
// file of the format has.
bool pngComplete(const QByteArray& b)
{
    qsizetype at = 8;
    while (at + 12 <= b.size()) {
        const quint32 length = qFromBigEndian<quint32>(b.constData() + at);
        if (length > quint32(b.size()))
            return false;
        const qsizetype end = at + 12 + qsizetype(length);
        if (end > b.size())
            return false;
        if (std::memcmp(b.constData() + at + 4, "IEND", 4) == 0)
            return true;
        at = end;
    }
    return false;
}

bool jpegComplete(const QByteArray& b)
{
    // The end marker cannot occur inside coded data (a 0xFF there is followed by 0x00 or a restart marker);
    // some writers put a few bytes behind it.
    const qsizetype from = std::max<qsizetype>(2, b.size() - 1024);
    for (qsizetype i = b.size() - 2; i >= from; --i) {
        if (uchar(b[i]) == 0xFF && uchar(b[i + 1]) == 0xD9)
            return true;
    }
    return false;
}

bool gifComplete(const QByteArray& b)
{
    // The trailer byte, possibly followed by padding.
    qsizetype end = b.size();
    while (end > 0 && b[end - 1] == '\0')
        --end;
    return end > 0 && b[end - 1] == 0x3B;
}

bool complete(const QByteArray& format, const QByteArray& bytes)
{
    if (format == "png")
        return pngComplete(bytes);
    if (format == "jpeg")
        return jpegComplete(bytes);
    if (format == "gif")
        return gifComplete(bytes);
    // TIFF and WebP decoders fail on missing data themselves.
    return true;
}

QByteArray readWhole(QFile& file, const ReadProgress& progress)
{
    const qint64 size = file.size();
    QByteArray bytes;
    try {
        bytes = QByteArray(size, Qt::Uninitialized);
    } catch (const std::bad_alloc&) {
        throw outOfMemory();
    }
    constexpr qint64 Piece = qint64(8) << 20;
    qint64 at = 0;
    while (at < size) {
        if (progress && !progress(at, size * 2))
            throw ReadCancelled();
        const qint64 got = file.read(bytes.data() + at, std::min(Piece, size - at));
        if (got <= 0)
            break; // a file that shrank meanwhile
        at += got;
    }
    bytes.truncate(at);
    return bytes;
}

} // namespace

QImage pictureFromImage(const QImage& image, qint64 availableMemory, PictureWatch* watch)
{
    if (image.isNull())
        refuseInvalid();
    const QString refusal = pictureSizeRefusal(image.size(), 32, availableMemory);
    if (!refusal.isEmpty())
        throw KuvaroError(refusal);
    PictureStorage storage(image.size(), watch);
    if (storage.isNull())
        throw outOfMemory();
    QImage& pixels = storage.pixels();
    if (image.hasAlphaChannel()) {
        // A transparent background stays the paper it stands for: white.
        pixels.fill(Qt::white);
        QPainter painter(&pixels);
        painter.drawImage(0, 0, image);
    } else if (!copyConverted(storage, image)) {
        throw outOfMemory();
    }
    QImage done = storage.finish();
    if (done.isNull())
        throw outOfMemory();
    return done;
}

QByteArray pictureFormatOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return formatOfBytes(file.read(64));
}

QImage readPictureFile(const QString& path) { return readPictureFile(path, availableMemoryBytes()); }

QImage readPictureFile(const QString& path, qint64 availableMemory, const ReadProgress& progress,
                       PictureWatch* watch)
{
    QFile file(path);
    // Unbuffered: the pieces are large, and what counts as read is what the file held at that moment.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw KuvaroError(QStringLiteral("Die Datei \"%1\" kann nicht geöffnet werden").arg(path));
    const QByteArray head = file.peek(64);
    if (isBmp(head) || head.size() < 2) {
        file.close();
        return readBmpFile(path, availableMemory, progress, watch);
    }
    const QByteArray format = formatOfBytes(head);
    if (format.isEmpty())
        refuseInvalid();

    const QByteArray bytes = readWhole(file, progress);
    if (!complete(format, bytes))
        refuseInvalid();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    // Photographs and scans stand as the camera or scanner meant them.
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid()) {
        const QString refusal = pictureSizeRefusal(size, 32, availableMemory);
        if (!refusal.isEmpty())
            throw KuvaroError(refusal);
    }
    // The size check above stands for Qt's own allocation limit.
    if (QImageReader::allocationLimit() != 0 && QImageReader::allocationLimit() < 1024)
        QImageReader::setAllocationLimit(1024);
    if (progress && !progress(bytes.size(), bytes.size() * 2))
        throw ReadCancelled();
    QImage image;
    if (!reader.read(&image) || image.isNull())
        refuseInvalid();
    // Animated pictures: the first frame, as read above.
    return pictureFromImage(image, availableMemory, watch);
}

} // namespace kuvaro
