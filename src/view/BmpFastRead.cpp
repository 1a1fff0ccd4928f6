#include "view/BmpFastRead.h"

#include "view/PictureMemory.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#if defined(Q_OS_UNIX)
#include <climits>
#include <sys/uio.h>
#include <unistd.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KUVARO_X86 1
#endif

namespace kuvaro {

namespace {

std::atomic<bool> fastReading{true};

constexpr QRgb Opaque = 0xFF000000u;

void widen24Plain(const uchar* src, QRgb* dst, int n)
{
    for (int x = 0; x < n; ++x, src += 3)
        dst[x] = Opaque | QRgb(src[2]) << 16 | QRgb(src[1]) << 8 | src[0];
}

#if defined(KUVARO_X86)
// Four pixels a step: 12 of 16 loaded bytes spread into four 32-bit words by
// one byte shuffle, the alpha byte set by an or. The load reaches 4 bytes
// past the 4 pixels, so the last few pixels of a line go the plain way.
__attribute__((target("ssse3"))) void widen24Ssse3(const uchar* src, QRgb* dst, int n)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(int(Opaque));
    int x = 0;
    for (; x + 6 <= n; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_or_si128(_mm_shuffle_epi8(v, spread), opaque));
    }
    widen24Plain(src + 3 * x, dst + x, n - x);
}

using Widen = void (*)(const uchar*, QRgb*, int);
Widen chooseWiden24()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") ? widen24Ssse3 : widen24Plain;
}
const Widen widen24 = chooseWiden24();
#else
constexpr auto widen24 = widen24Plain;
#endif

// The fourth byte of a BI_RGB pixel is unused; a 32-bit picture without
// alpha shows every pixel opaque.
void makeOpaque(QRgb* p, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i)
        p[i] |= Opaque;
}

void lookUp8(const uchar* src, QRgb* dst, int n, const QRgb* palette)
{
    for (int x = 0; x < n; ++x)
        dst[x] = palette[src[x]];
}

#if defined(Q_OS_UNIX)

// Reads n bytes at offset into `to`; false when the file ends first.
bool readAt(int fd, qint64 offset, uchar* to, qint64 n)
{
    while (n > 0) {
        const ssize_t got = ::pread(fd, to, size_t(std::min<qint64>(n, qint64(1) << 30)), off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        to += got;
        offset += got;
        n -= got;
    }
    return true;
}

// Reads consecutive file rows into the picture lines that `lines` point at,
// in as few calls as the system allows.
bool readIntoLines(int fd, qint64 offset, std::vector<iovec>& lines)
{
    size_t done = 0;
    while (done < lines.size()) {
        const int count = int(std::min<size_t>(lines.size() - done, IOV_MAX));
        const ssize_t got = ::preadv(fd, lines.data() + done, count, off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        offset += got;
        // Skip the lines read whole; a line read in part goes on where it stopped.
        size_t left = size_t(got);
        while (left > 0 && left >= lines[done].iov_len)
            left -= lines[done++].iov_len;
        if (left > 0) {
            lines[done].iov_base = static_cast<char*>(lines[done].iov_base) + left;
            lines[done].iov_len -= left;
        }
    }
    return true;
}

#endif

} // namespace

void setFastBmpReading(bool on) { fastReading = on; }
bool fastBmpReading() { return fastReading; }

FastBmpRead readBmpRowsFast(QFile& file, const BmpRows& r, PictureStorage& storage, const ReadProgress& progress)
{
#if defined(Q_OS_UNIX)
    const bool layout =
        r.compression == 0 && (r.bits == 24 || r.bits == 32 || (r.bits == 8 && r.palette.size() == 256));
    const int fd = file.handle();
    if (!fastReading || !layout || fd < 0 || r.width <= 0 || r.height <= 0 || storage.isNull() ||
        storage.pixels().size() != QSize(r.width, r.height))
        return FastBmpRead::NotHandled;

    const qint64 rowBytes = (qint64(r.width) * r.bits + 31) / 32 * 4;
    const int batchRows = storage.batchLines();
    auto goOn = [&](int row) { return !progress || progress(row * rowBytes, r.height * rowBytes); };

    // A batch of file rows becomes a batch of consecutive picture lines, put
    // in picture order here (a bottom-up file has its last line first) and
    // handed on in one piece.
    std::vector<uchar> batch(r.bits == 32 ? 0 : size_t(batchRows * rowBytes) + 16);
    std::vector<iovec> parts;
    for (int row = 0; row < r.height; row += batchRows) {
        const int n = std::min(batchRows, r.height - row);
        if (!goOn(row))
            return FastBmpRead::Cancelled;
        const int firstLine = r.topDown ? row : r.height - row - n;
        QRgb* lines = storage.lineBuffer(firstLine, n);
        auto lineAt = [&](int i) { return lines + size_t(r.topDown ? i : n - 1 - i) * size_t(r.width); };
        if (r.bits == 32) {
            // The file's rows are the picture's lines, byte for byte but for
            // the unused fourth byte: they are read straight into place.
            parts.resize(size_t(n));
            for (int i = 0; i < n; ++i)
                parts[size_t(i)] = iovec{lineAt(i), size_t(rowBytes)};
            if (!readIntoLines(fd, r.dataStart + row * rowBytes, parts))
                return FastBmpRead::Short;
            makeOpaque(lines, qsizetype(n) * r.width);
        } else {
            if (!readAt(fd, r.dataStart + row * rowBytes, batch.data(), n * rowBytes))
                return FastBmpRead::Short;
            for (int i = 0; i < n; ++i) {
                const uchar* src = batch.data() + i * rowBytes;
                if (r.bits == 24)
                    widen24(src, lineAt(i), r.width);
                else
                    lookUp8(src, lineAt(i), r.width, r.palette.constData());
            }
        }
        if (!storage.writeLines(firstLine, n, lines))
            return FastBmpRead::NoMemory;
    }
    return FastBmpRead::Done;
#else
    Q_UNUSED(file);
    Q_UNUSED(r);
    Q_UNUSED(storage);
    Q_UNUSED(progress);
    return FastBmpRead::NotHandled;
#endif
}

} // namespace kuvaro
