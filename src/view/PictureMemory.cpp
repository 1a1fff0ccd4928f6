#include "view/PictureMemory.h"

#include <QFile>
#include <QList>
#include <QLocale>

#include <cerrno>
#include <cstring>
#include <map>

#if defined(__linux__)
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#define KUVARO_COPY_ON_WRITE 1
#endif

namespace kuvaro {

namespace {

// Room for the display copy of the view and the reader's line buffers.
constexpr qint64 DisplayAllowance = qint64(64) << 20;

PictureMemoryKind g_kind = PictureMemoryKind::Automatic;

[[maybe_unused]] bool copyOnWriteFor(size_t bytes)
{
    return g_kind == PictureMemoryKind::CopyOnWrite ||
           (g_kind == PictureMemoryKind::Automatic && qint64(bytes) >= CopyOnWriteFromBytes);
}

qsizetype rgb32BytesPerLine(int width) { return qsizetype(width) * 4; }

} // namespace

#if KUVARO_COPY_ON_WRITE

namespace {

// The anonymous memory file that holds one pristine bitmap.
struct MemoryFile
{
    int fd = -1;
    size_t bytes = 0;
    ~MemoryFile()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Every mapping that an image points into, by its first byte: the shared
// (pristine) and the private (working) ones, each with its file.
struct MappingEntry
{
    std::shared_ptr<MemoryFile> file;
    bool isPrivate = false;
};

std::map<const uchar*, MappingEntry>& registry()
{
    static std::map<const uchar*, MappingEntry> r;
    return r;
}

struct CleanupInfo
{
    void* address = nullptr;
    size_t bytes = 0;
    std::shared_ptr<MemoryFile> file;
};

void releaseMapping(void* info)
{
    auto* c = static_cast<CleanupInfo*>(info);
    registry().erase(static_cast<const uchar*>(c->address));
    ::munmap(c->address, c->bytes);
    delete c; // the last reference to the file closes it
}

MappingEntry* findMapping(const uchar* address)
{
    auto it = registry().find(address);
    return it == registry().end() ? nullptr : &it->second;
}

} // namespace

struct PictureStorage::Mapping
{
    std::shared_ptr<MemoryFile> file;
    void* address = nullptr;
    ~Mapping()
    {
        if (address)
            ::munmap(address, file->bytes);
    }
};

PictureStorage::PictureStorage(QSize size)
{
    if (size.isEmpty())
        return;
    const size_t bytes = size_t(rgb32BytesPerLine(size.width())) * size_t(size.height());
    if (copyOnWriteFor(bytes)) {
        auto file = std::make_shared<MemoryFile>();
        file->bytes = bytes;
        file->fd = ::memfd_create("kuvaro-picture", MFD_CLOEXEC);
        // Neither reserved nor mapped in advance: the reader writes every
        // pixel, and the first write to a page gets it, zeroed, as the page
        // is faulted in. Reserving (fallocate) and mapping (MAP_POPULATE)
        // the whole file first cost a third more time for the same pages.
        // The budget check before reading (pictureSizeRefusal) stands for
        // the reservation, as it does for an ordinary image.
        if (file->fd >= 0 && ::ftruncate(file->fd, off_t(bytes)) == 0) {
            void* address = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, file->fd, 0);
            if (address != MAP_FAILED) {
                m_mapping = std::make_unique<Mapping>();
                m_mapping->file = file;
                m_mapping->address = address;
                m_pixels = QImage(static_cast<uchar*>(address), size.width(), size.height(),
                                  rgb32BytesPerLine(size.width()), QImage::Format_RGB32);
                return;
            }
        }
    }
    // Not filled: reading a picture writes every pixel, and a picture that
    // cannot be read is thrown away with its memory.
    m_pixels = QImage(size, QImage::Format_RGB32);
}

PictureStorage::~PictureStorage() = default;

bool PictureStorage::writeLines(int firstLine, int count, const QRgb* lines)
{
    if (firstLine < 0 || count < 0 || firstLine + count > m_pixels.height())
        return false;
    const size_t bytes = size_t(count) * size_t(m_pixels.bytesPerLine());
    if (!m_mapping) {
        std::memcpy(m_pixels.scanLine(firstLine), lines, bytes);
        return true;
    }
    const auto* from = reinterpret_cast<const char*>(lines);
    off_t offset = off_t(firstLine) * off_t(m_pixels.bytesPerLine());
    for (size_t done = 0; done < bytes;) {
        const ssize_t put = ::pwrite(m_mapping->file->fd, from + done, bytes - done, offset + off_t(done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += size_t(put);
    }
    return true;
}

QImage PictureStorage::finish()
{
    if (!m_mapping) {
        QImage done = m_pixels;
        m_pixels = QImage();
        return done;
    }
    const int w = m_pixels.width(), h = m_pixels.height();
    const qsizetype bpl = m_pixels.bytesPerLine();
    m_pixels = QImage();
    auto* info = new CleanupInfo{m_mapping->address, m_mapping->file->bytes, m_mapping->file};
    {
        registry()[static_cast<const uchar*>(info->address)] = MappingEntry{m_mapping->file, false};
    }
    m_mapping->address = nullptr;
    m_mapping.reset();
    // Read-only data: drawing into the image would copy it first, so the
    // pixels in the memory file stay those of the picture as read.
    return QImage(static_cast<const uchar*>(info->address), w, h, bpl, QImage::Format_RGB32, releaseMapping, info);
}

QImage workingCopyOf(const QImage& pristine)
{
    if (pristine.isNull())
        return QImage();
    std::shared_ptr<MemoryFile> file;
    {
        if (const MappingEntry* e = findMapping(pristine.constBits()); e && !e->isPrivate)
            file = e->file;
    }
    if (file) {
        void* address = ::mmap(nullptr, file->bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE, file->fd, 0);
        if (address != MAP_FAILED) {
            auto* info = new CleanupInfo{address, file->bytes, file};
            {
                registry()[static_cast<const uchar*>(address)] = MappingEntry{file, true};
            }
            return QImage(static_cast<uchar*>(address), pristine.width(), pristine.height(),
                          pristine.bytesPerLine(), QImage::Format_RGB32, releaseMapping, info);
        }
    }
    // An ordinary image shares its pixels until the first drawing copies them
    // (QImage's own copy-on-write): a picture that is only looked at is never
    // copied, and the pristine bitmap never sees the drawing.
    return pristine.format() == QImage::Format_RGB32 ? pristine : pristine.convertToFormat(QImage::Format_RGB32);
}

bool isCopyOnWrite(const QImage& working, const QImage& pristine)
{
    if (working.isNull() || pristine.isNull() || working.size() != pristine.size())
        return false;
    const MappingEntry* w = findMapping(working.constBits());
    const MappingEntry* p = findMapping(pristine.constBits());
    return w && p && w->isPrivate && !p->isPrivate && w->file == p->file;
}

#else // no copy-on-write memory on this system

struct PictureStorage::Mapping
{
};

PictureStorage::PictureStorage(QSize size)
{
    if (size.isEmpty())
        return;
    // Not filled: reading a picture writes every pixel, and a picture that
    // cannot be read is thrown away with its memory.
    m_pixels = QImage(size, QImage::Format_RGB32);
}

PictureStorage::~PictureStorage() = default;

bool PictureStorage::writeLines(int firstLine, int count, const QRgb* lines)
{
    if (firstLine < 0 || count < 0 || firstLine + count > m_pixels.height())
        return false;
    std::memcpy(m_pixels.scanLine(firstLine), lines, size_t(count) * size_t(m_pixels.bytesPerLine()));
    return true;
}

QImage PictureStorage::finish()
{
    QImage done = m_pixels;
    m_pixels = QImage();
    return done;
}

QImage workingCopyOf(const QImage& pristine)
{
    // An ordinary image shares its pixels until the first drawing copies them
    // (QImage's own copy-on-write): a picture that is only looked at is never
    // copied, and the pristine bitmap never sees the drawing.
    return pristine.format() == QImage::Format_RGB32 ? pristine : pristine.convertToFormat(QImage::Format_RGB32);
}

bool isCopyOnWrite(const QImage&, const QImage&) { return false; }

#endif

QString pictureSizeText(QSize size) { return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height()); }

qint64 openedPictureBytes(QSize size, int bitsPerPixel)
{
    const qint64 w = size.width(), h = size.height();
    qint64 bytes = 2 * 4 * w * h + DisplayAllowance;
    if (bitsPerPixel == 1)
        bytes += (w + 31) / 32 * 4 * h;
    else if (bitsPerPixel <= 8)
        bytes += (w + 3) / 4 * 4 * h;
    return bytes;
}

qint64 availableMemoryBytes()
{
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (meminfo.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = meminfo.readAll().split('\n');
        for (const QByteArray& line : lines) {
            if (line.startsWith("MemAvailable:")) {
                bool ok = false;
                const qint64 kb = line.mid(13).trimmed().split(' ').value(0).toLongLong(&ok);
                if (ok)
                    return kb * 1024;
            }
        }
    }
#if defined(__linux__)
    const long pages = ::sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        return qint64(pages) * pageSize;
#endif
    return -1;
}

QString pictureSizeRefusal(QSize size, int bitsPerPixel, qint64 available)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const qint64 pixels = qint64(size.width()) * size.height();
    if (pixels > MaxPicturePixels)
        return QStringLiteral("Das Bild ist mit %1 Pixeln zu groß: möglich sind höchstens %2 Pixel")
            .arg(pictureSizeText(size), german.toString(MaxPicturePixels));
    if (size.width() > MaxPictureWidth)
        return QStringLiteral("Das Bild ist mit %1 Pixeln zu breit: möglich sind höchstens %2 Pixel in einer Zeile")
            .arg(pictureSizeText(size), german.toString(MaxPictureWidth));
    if (available >= 0) {
        const qint64 need = openedPictureBytes(size, bitsPerPixel);
        if (need > available) {
            const qint64 mb = qint64(1) << 20;
            return QStringLiteral("Für das Bild mit %1 Pixeln reicht der Arbeitsspeicher nicht: "
                                  "es braucht %2 MB, frei sind %3 MB")
                .arg(pictureSizeText(size), german.toString((need + mb - 1) / mb), german.toString(available / mb));
        }
    }
    return QString();
}

void setPictureMemoryKind(PictureMemoryKind kind) { g_kind = kind; }

bool copyConverted(PictureStorage& storage, const QImage& decoded)
{
    const int w = decoded.width();
    constexpr int Band = 256;
    const bool direct = decoded.format() == QImage::Format_RGB32 && decoded.bytesPerLine() == qsizetype(w) * 4;
    for (int y = 0; y < decoded.height(); y += Band) {
        const int n = std::min(Band, decoded.height() - y);
        const QImage band = direct ? QImage() : decoded.copy(0, y, w, n).convertToFormat(QImage::Format_RGB32);
        if (!direct && band.isNull())
            return false;
        const uchar* from = direct ? decoded.constScanLine(y) : band.constBits();
        if (!storage.writeLines(y, n, reinterpret_cast<const QRgb*>(from)))
            return false;
    }
    return true;
}

} // namespace kuvaro
