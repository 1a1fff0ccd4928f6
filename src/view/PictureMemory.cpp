#include "view/PictureMemory.h"

#include <QFile>
#include <QList>
#include <QLocale>
#include <QThreadPool>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

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

// Lines are filled in by batches of about this many bytes.
constexpr qint64 BatchBytes = qint64(512) << 10;

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

// Work on a picture's memory that nobody needs to wait for, on one thread
// of its own, in the order it is asked for:
// - Giving the pages of a large picture back to the system takes about as
//   long as getting them (some 100 ms for 100 million pixels). A picture goes
//   when the next one replaces it; the new one is shown without waiting.
// - A new working bitmap has its pages mapped ahead, so that the magnifier,
//   reading around the mouse, does not stop for a page fault in each line.
//   Unmapping comes after in the same queue, so never during it.
Q_GLOBAL_STATIC(QThreadPool, memoryWorker)

// Runs `job` on the memory worker; false when the program is ending.
bool inBackground(std::function<void()> job)
{
    QThreadPool* pool = memoryWorker();
    if (!pool)
        return false;
    pool->setMaxThreadCount(1);
    pool->start(std::move(job));
    return true;
}

void releaseMapping(void* info)
{
    std::unique_ptr<CleanupInfo> c(static_cast<CleanupInfo*>(info));
    // Out of the registry at once: the address may be mapped anew as soon
    // as it is unmapped.
    registry().erase(static_cast<const uchar*>(c->address));
    auto unmap = [address = c->address, bytes = c->bytes, file = std::move(c->file)]() mutable {
        ::munmap(address, bytes);
        file.reset(); // the last reference to the file closes it
    };
    if (!inBackground(unmap))
        unmap();
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

// Writes batches of lines into the memory file on a thread of its own, in
// the order they come, from a few buffers that the reader fills in turn.
struct PictureStorage::Writer
{
    static constexpr int Buffers = 3;

    explicit Writer(int fd, size_t bufferBytes) : m_fd(fd)
    {
        for (auto& b : m_buffers)
            b.reset(new QRgb[bufferBytes / 4]);
        m_thread = std::thread([this] { run(); });
    }
    ~Writer()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    // The next buffer, once the thread is done with what it held.
    QRgb* buffer()
    {
        std::unique_lock lock(m_mutex);
        QRgb* b = m_buffers[size_t(m_next)].get();
        const auto inUse = [&](const Job& j) { return j.from == b; };
        m_done.wait(lock, [&] { return std::none_of(m_queue.begin(), m_queue.end(), inUse); });
        m_next = (m_next + 1) % Buffers;
        return b;
    }
    bool isBuffer(const QRgb* p) const
    {
        return std::any_of(std::begin(m_buffers), std::end(m_buffers), [&](const auto& b) { return b.get() == p; });
    }
    // Queues a buffer to be written at `offset`; false once a write failed.
    bool write(const QRgb* from, size_t bytes, off_t offset)
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_failed)
                return false;
            m_queue.push_back(Job{from, bytes, offset});
        }
        m_wake.notify_all();
        return true;
    }
    // Waits until everything queued is written; false when a write failed.
    bool drain()
    {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [&] { return m_queue.empty(); });
        return !m_failed;
    }

private:
    struct Job
    {
        const QRgb* from;
        size_t bytes;
        off_t offset;
    };

    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return m_stop || !m_queue.empty(); });
            if (m_queue.empty())
                return;
            const Job job = m_queue.front();
            lock.unlock();
            const bool ok = m_failed || writeAll(job);
            lock.lock();
            m_failed = m_failed || !ok;
            m_queue.pop_front();
            m_done.notify_all();
        }
    }
    bool writeAll(const Job& job) const
    {
        const auto* from = reinterpret_cast<const char*>(job.from);
        for (size_t done = 0; done < job.bytes;) {
            const ssize_t put = ::pwrite(m_fd, from + done, job.bytes - done, job.offset + off_t(done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            done += size_t(put);
        }
        return true;
    }

    const int m_fd;
    std::unique_ptr<QRgb[]> m_buffers[Buffers];
    int m_next = 0;
    std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    std::deque<Job> m_queue; // the front one is being written
    bool m_failed = false;
    bool m_stop = false;
    std::thread m_thread;
};

PictureStorage::PictureStorage(QSize size, PictureWatch* watch)
{
    if (size.isEmpty())
        return;
    m_watch = watch;
    if (m_watch)
        m_watch->pictureSize(size);
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
                m_writer = std::make_unique<Writer>(
                    file->fd, size_t(batchLines()) * size_t(rgb32BytesPerLine(size.width())));
                return;
            }
        }
    }
    // Not filled: reading a picture writes every pixel, and a picture that
    // cannot be read is thrown away with its memory.
    m_pixels = QImage(size, QImage::Format_RGB32);
}

PictureStorage::~PictureStorage()
{
    // A reading that failed or was cancelled: the writer stops before the memory goes.
    m_writer.reset();
}

QRgb* PictureStorage::lineBuffer(int firstLine, int count)
{
    if (m_writer && count <= batchLines())
        return m_writer->buffer();
    return reinterpret_cast<QRgb*>(m_pixels.scanLine(std::clamp(firstLine, 0, std::max(0, m_pixels.height() - 1))));
}

bool PictureStorage::writeLines(int firstLine, int count, const QRgb* lines)
{
    if (m_pixels.isNull() || firstLine < 0 || count < 0 || firstLine + count > m_pixels.height())
        return false;
    const size_t bytes = size_t(count) * size_t(m_pixels.bytesPerLine());
    const off_t offset = off_t(firstLine) * off_t(m_pixels.bytesPerLine());
    if (m_writer) {
        if (!m_writer->isBuffer(lines)) {
            // Lines from elsewhere go through a buffer: the caller may use
            // its own memory again as soon as this returns.
            for (int done = 0; done < count;) {
                const int n = std::min(batchLines(), count - done);
                QRgb* b = m_writer->buffer();
                std::memcpy(b, lines + size_t(done) * size_t(m_pixels.width()),
                            size_t(n) * size_t(m_pixels.bytesPerLine()));
                if (!writeLines(firstLine + done, n, b))
                    return false;
                done += n;
            }
            return true;
        }
        if (!m_writer->write(lines, bytes, offset))
            return false;
    } else if (lines != reinterpret_cast<const QRgb*>(m_pixels.constScanLine(firstLine))) {
        std::memcpy(m_pixels.scanLine(firstLine), lines, bytes);
    }
    if (m_watch)
        m_watch->pictureLines(firstLine, count, lines);
    return true;
}

QImage PictureStorage::finish()
{
    if (m_writer) {
        const bool written = m_writer->drain();
        m_writer.reset();
        if (!written)
            return QImage();
    }
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
#if defined(MADV_POPULATE_READ)
            inBackground([address, bytes = file->bytes] { ::madvise(address, bytes, MADV_POPULATE_READ); });
#endif
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

struct PictureStorage::Writer
{
};

PictureStorage::PictureStorage(QSize size, PictureWatch* watch)
{
    if (size.isEmpty())
        return;
    m_watch = watch;
    if (m_watch)
        m_watch->pictureSize(size);
    // Not filled: reading a picture writes every pixel, and a picture that
    // cannot be read is thrown away with its memory.
    m_pixels = QImage(size, QImage::Format_RGB32);
}

PictureStorage::~PictureStorage()
{
    // A reading that failed or was cancelled: the writer stops before the memory goes.
    m_writer.reset();
}

QRgb* PictureStorage::lineBuffer(int firstLine, int count)
{
    Q_UNUSED(count);
    return reinterpret_cast<QRgb*>(m_pixels.scanLine(std::clamp(firstLine, 0, std::max(0, m_pixels.height() - 1))));
}

bool PictureStorage::writeLines(int firstLine, int count, const QRgb* lines)
{
    if (m_pixels.isNull() || firstLine < 0 || count < 0 || firstLine + count > m_pixels.height())
        return false;
    if (lines != reinterpret_cast<const QRgb*>(m_pixels.constScanLine(firstLine)))
        std::memcpy(m_pixels.scanLine(firstLine), lines, size_t(count) * size_t(m_pixels.bytesPerLine()));
    if (m_watch)
        m_watch->pictureLines(firstLine, count, lines);
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

int PictureStorage::batchLines() const
{
    return int(std::clamp<qint64>(BatchBytes / std::max<qsizetype>(1, m_pixels.bytesPerLine()), 1,
                                  std::max(1, m_pixels.height())));
}

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

void waitForPictureMemoryWork()
{
#if KUVARO_COPY_ON_WRITE
    if (QThreadPool* pool = memoryWorker())
        pool->waitForDone();
#endif
}

bool copyConverted(PictureStorage& storage, const QImage& decoded)
{
    const int w = decoded.width();
    const int band = storage.batchLines();
    const bool direct = decoded.format() == QImage::Format_RGB32 && decoded.bytesPerLine() == qsizetype(w) * 4;
    for (int y = 0; y < decoded.height(); y += band) {
        const int n = std::min(band, decoded.height() - y);
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
