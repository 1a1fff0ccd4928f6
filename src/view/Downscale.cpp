#include "view/Downscale.h"

#include "view/Fit.h"
#include "view/PictureMemory.h"

#include <algorithm>
#include <cstring>
#include <functional>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <vector>

namespace kuvaro {

// The display columns of a view rectangle: the picture columns of each and
// what the fastest way to build them depends on.
struct DisplayColumns
{
    std::vector<PixelSpan> spans;
    bool single = true; // one picture column each
    bool small = true; // at most two each
    int widest = 0;
    int left = 0; // the first display column

    DisplayColumns(double scale, int left, int width, int pictureWidth) : spans(size_t(width)), left(left)
    {
        for (int i = 0; i < width; ++i) {
            spans[size_t(i)] = pixelSpanOfView(scale, left + i, pictureWidth);
            const int w = spans[size_t(i)].last - spans[size_t(i)].first;
            single = single && w == 1;
            small = small && w <= 2;
            widest = std::max(widest, w);
        }
    }
};

} // namespace kuvaro

namespace {

using kuvaro::DisplayColumns;
using kuvaro::PixelSpan;
using kuvaro::pixelSpanOfView;

// Where the colour bytes of a 32-bit pixel (0xAARRGGBB) lie in memory.
constexpr bool LittleEndian = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
constexpr int BlueByte = LittleEndian ? 0 : 3;
constexpr int GreenByte = LittleEndian ? 1 : 2;
constexpr int RedByte = LittleEndian ? 2 : 1;

// Lines summed into 16-bit counters before they are carried over into the
// 32-bit sums: 257 lines of 255 still fit.
constexpr int LinesPerBatch = 257;
// Picture pixels per view pixel up to which 32-bit sums of bytes cannot overflow.
constexpr double MaxVectorArea = double(0xFFFFFFFFu / 255);

// The picture's lines as they are read: from memory holding lines
// firstLine on, one every `stride` bytes (the whole picture, or a batch of
// lines just read).
struct Lines
{
    int pictureHeight = 0;
    const uchar* base = nullptr;
    qsizetype stride = 0;
    int firstLine = 0;
    int height() const { return pictureHeight; }
    const uchar* line(int y) const { return base + (y - firstLine) * stride; }
};

// The view pixel of a block of `area` picture pixels with these channel sums
// and darkest channel values: the mean, rounded to the nearest value by a
// multiplication (four integer divisions a view pixel would cost more than
// all the rest), halfway toward the darkest, rounded up. Every way of
// building the display copy ends here, so all give the same pixels.
template <typename Sum>
QRgb blockColour(const Sum* sums, const uchar* lows, double area)
{
    const double reciprocal = 1.0 / area;
    int out[4];
    for (int ch = 0; ch < 4; ++ch) {
        const int mean = int(double(sums[ch]) * reciprocal + 0.5);
        out[ch] = (mean + lows[ch] + 1) / 2;
    }
    return qRgb(out[RedByte], out[GreenByte], out[BlueByte]);
}

// Starts 16-bit byte sums and darkest values with one picture line.
void startLine(const uchar* line, int bytes, quint16* acc, uchar* low)
{
    int j = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; j + 16 <= bytes; j += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + j));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(low + j), v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + j), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + j + 8), _mm_unpackhi_epi8(v, zero));
    }
#endif
    for (; j < bytes; ++j) {
        acc[j] = line[j];
        low[j] = line[j];
    }
}

// Adds one picture line to 16-bit byte sums and keeps the darkest value of
// each byte. This loop touches every pixel of the picture when the display
// copy is built, so on x86 it takes 16 bytes at a time.
void addLine(const uchar* line, int bytes, quint16* acc, uchar* low)
{
    int j = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; j + 16 <= bytes; j += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + j));
        auto* l = reinterpret_cast<__m128i*>(low + j);
        _mm_storeu_si128(l, _mm_min_epu8(_mm_loadu_si128(l), v));
        auto* a0 = reinterpret_cast<__m128i*>(acc + j);
        auto* a1 = reinterpret_cast<__m128i*>(acc + j + 8);
        _mm_storeu_si128(a0, _mm_add_epi16(_mm_loadu_si128(a0), _mm_unpacklo_epi8(v, zero)));
        _mm_storeu_si128(a1, _mm_add_epi16(_mm_loadu_si128(a1), _mm_unpackhi_epi8(v, zero)));
    }
#endif
    for (; j < bytes; ++j) {
        acc[j] = quint16(acc[j] + line[j]);
        low[j] = std::min(low[j], line[j]);
    }
}

// The view pixels of one view line when no block is more than 2 x 2 picture
// pixels (a reduction to half or less). Each block is taken as 2 x 2 with the
// missing pixels repeated, which leaves its mean and its darkest value alone:
// first the two lines are summed and compared byte by byte, then each view
// pixel takes its one or two columns of that.
void renderSmallBlocks(const Lines& source, PixelSpan rows, const std::vector<PixelSpan>& columns, QRgb* dst,
                       std::vector<quint16>& pairSum, std::vector<uchar>& pairLow)
{
    const int sourceLeft = columns.front().first;
    const int bytes = (columns.back().last - sourceLeft) * 4;
    const uchar* top = source.line(rows.first) + qsizetype(sourceLeft) * 4;
    const uchar* bottom =
        rows.last - rows.first == 2 ? source.line(rows.first + 1) + qsizetype(sourceLeft) * 4 : top;
    pairSum.resize(size_t(bytes));
    pairLow.resize(size_t(bytes));
    quint16* sum = pairSum.data();
    uchar* low = pairLow.data();
    int j = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; j + 16 <= bytes; j += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + j));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + j));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(low + j), _mm_min_epu8(a, b));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sum + j),
                         _mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sum + j + 8),
                         _mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero)));
    }
#endif
    for (; j < bytes; ++j) {
        sum[j] = quint16(top[j] + bottom[j]);
        low[j] = std::min(top[j], bottom[j]);
    }

    const size_t n = columns.size();
    size_t i = 0;
#if defined(__SSE2__)
    // Two view pixels at a time: their four 16-bit sums side by side.
    const __m128i two = _mm_set1_epi16(2);
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    auto load64 = [&](int x) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(sum + (x - sourceLeft) * 4)); };
    auto load32 = [&](int x) {
        int v;
        std::memcpy(&v, low + (x - sourceLeft) * 4, 4);
        return _mm_cvtsi32_si128(v);
    };
    for (; i + 2 <= n; i += 2) {
        const int a0 = columns[i].first, a1 = columns[i + 1].first;
        const int b0 = columns[i].last - 1, b1 = columns[i + 1].last - 1;
        const __m128i s = _mm_add_epi16(_mm_unpacklo_epi64(load64(a0), load64(a1)),
                                        _mm_unpacklo_epi64(load64(b0), load64(b1)));
        const __m128i mean = _mm_srli_epi16(_mm_add_epi16(s, two), 2);
        const __m128i darkest = _mm_min_epu8(_mm_unpacklo_epi32(load32(a0), load32(a1)),
                                             _mm_unpacklo_epi32(load32(b0), load32(b1)));
        // Halfway between mean and darkest, rounded up, byte by byte.
        const __m128i out = _mm_or_si128(_mm_avg_epu8(_mm_packus_epi16(mean, mean), darkest), opaque);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + i), out);
    }
#endif
    for (; i < n; ++i) {
        const size_t a = size_t(columns[i].first - sourceLeft) * 4;
        const size_t b = size_t(columns[i].last - 1 - sourceLeft) * 4;
        int out[4];
        for (int k = 0; k < 4; ++k) {
            const int mean = (sum[a + size_t(k)] + sum[b + size_t(k)] + 2) >> 2;
            const int darkest = std::min(low[a + size_t(k)], low[b + size_t(k)]);
            out[k] = (mean + darkest + 1) / 2;
        }
        dst[i] = qRgb(out[RedByte], out[GreenByte], out[BlueByte]);
    }
}

#if defined(__SSE2__)
// Picture pixels across a view pixel up to which one line's sums of a
// channel fit the 16-bit lanes they are added in (half the pixels go to
// each lane pair: 256 x 255 / 2 < 65536).
constexpr int MaxAcrossColumns = 256;

// The channel sums of the pixels x..end-1 of one picture line (at most
// MaxAcrossColumns of them) in the four low 16-bit lanes; their darkest
// values are kept in `low`, byte by byte, four pixels side by side.
inline __m128i sumAcross(const uchar* line, int x, int end, __m128i& low)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i lo = zero, hi = zero;
    for (; x + 4 <= end; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + size_t(x) * 4));
        lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, zero));
        hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(v, zero));
        low = _mm_min_epu8(low, v);
    }
    for (; x < end; ++x) {
        int bytes;
        std::memcpy(&bytes, line + size_t(x) * 4, 4);
        const __m128i v = _mm_cvtsi32_si128(bytes);
        lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, zero));
        low = _mm_min_epu8(low, _mm_shuffle_epi32(v, 0));
    }
    // Eight 16-bit lanes (two pixels' channels) folded to four.
    const __m128i t = _mm_add_epi16(lo, hi);
    return _mm_add_epi16(t, _mm_srli_si128(t, 8));
}

// Takes the darkest values kept by sumAcross() into the four bytes at `to`.
inline void keepDarkest(__m128i low, uchar* to)
{
    low = _mm_min_epu8(low, _mm_srli_si128(low, 8));
    low = _mm_min_epu8(low, _mm_srli_si128(low, 4));
    int previous;
    std::memcpy(&previous, to, 4);
    const int darkest = _mm_cvtsi128_si32(_mm_min_epu8(low, _mm_cvtsi32_si128(previous)));
    std::memcpy(to, &darkest, 4);
}

// The view pixels of one view line for blocks of more than 2 lines whose
// columns are at most MaxAcrossColumns wide: each picture line is summed
// across each view pixel's columns first, into sums small enough to stay in
// the cache, instead of down the lines over the whole width and then across.
// Both give the same integer sums, hence the same view pixels.
void renderAcrossFirst(const Lines& source, PixelSpan rows, const std::vector<PixelSpan>& columns, QRgb* dst,
                       std::vector<quint32>& sums, std::vector<uchar>& lows)
{
    const size_t n = columns.size();
    sums.assign(n * 4, 0);
    lows.assign(n * 4, 0xFF);
    const __m128i zero = _mm_setzero_si128();
    for (int y = rows.first; y < rows.last; ++y) {
        const uchar* line = source.line(y);
        for (size_t i = 0; i < n; ++i) {
            __m128i low = _mm_set1_epi8(char(0xFF));
            const __m128i t = sumAcross(line, columns[i].first, columns[i].last, low);
            // Widened and added to the view pixel's sums.
            auto* s = reinterpret_cast<__m128i*>(sums.data() + i * 4);
            _mm_storeu_si128(s, _mm_add_epi32(_mm_loadu_si128(s), _mm_unpacklo_epi16(t, zero)));
            keepDarkest(low, lows.data() + i * 4);
        }
    }
    const double height = rows.last - rows.first;
    for (size_t i = 0; i < n; ++i)
        dst[i] = blockColour(sums.data() + i * 4, lows.data() + i * 4, height * (columns[i].last - columns[i].first));
}
#endif

// Builds the display lines firstLine..lastLine from the picture.
void renderLines(const Lines& source, double scale, const DisplayColumns& c, int firstLine, int lastLine,
                 uchar* displayBits, qsizetype displayLine)
{
    const std::vector<PixelSpan>& columns = c.spans;
    const bool singleColumns = c.single, smallColumns = c.small;
    const int widestColumn = c.widest, left = c.left;
#if defined(__SSE2__)
    const bool narrowColumns = widestColumn <= MaxAcrossColumns;
#endif
    const int ph = source.height();
    const int sourceLeft = columns.front().first;
    const int sourceBytes = (columns.back().last - sourceLeft) * 4;
    std::vector<quint32> sum;
    std::vector<quint16> acc;
    std::vector<uchar> low;
    const int width = int(columns.size());

    for (int vy = firstLine; vy <= lastLine; ++vy) {
        const PixelSpan rows = pixelSpanOfView(scale, vy, ph);
        QRgb* dst = reinterpret_cast<QRgb*>(displayBits + vy * displayLine) + left;
        if (singleColumns && rows.last - rows.first == 1) {
            // One picture pixel for each view pixel: take it as it is.
            const QRgb* src = reinterpret_cast<const QRgb*>(source.line(rows.first));
            for (int i = 0; i < width; ++i)
                dst[i] = src[columns[size_t(i)].first];
            continue;
        }
        if (smallColumns && rows.last - rows.first <= 2) {
            renderSmallBlocks(source, rows, columns, dst, acc, low);
            continue;
        }
#if defined(__SSE2__)
        if (narrowColumns && double(rows.last - rows.first) * widestColumn <= MaxVectorArea) {
            renderAcrossFirst(source, rows, columns, dst, sum, low);
            continue;
        }
#endif
        // Sum and darkest value of each byte down the block's lines, in
        // batches whose 16-bit sums cannot overflow, then across each view
        // pixel's columns.
        sum.resize(size_t(sourceBytes));
        low.resize(size_t(sourceBytes));
        acc.resize(size_t(sourceBytes));
        for (int y = rows.first; y < rows.last; y += LinesPerBatch) {
            const int end = std::min(rows.last, y + LinesPerBatch);
            const uchar* first = source.line(y) + qsizetype(sourceLeft) * 4;
            if (y == rows.first)
                startLine(first, sourceBytes, acc.data(), low.data());
            else
                std::fill(acc.begin(), acc.end(), quint16(0));
            for (int line = y == rows.first ? y + 1 : y; line < end; ++line)
                addLine(source.line(line) + qsizetype(sourceLeft) * 4, sourceBytes, acc.data(), low.data());
            if (y == rows.first)
                std::copy(acc.begin(), acc.end(), sum.begin());
            else
                std::transform(sum.begin(), sum.end(), acc.begin(), sum.begin(), std::plus<quint32>());
        }
        const double height = rows.last - rows.first;
        for (int i = 0; i < width; ++i) {
            const PixelSpan c = columns[size_t(i)];
            const double area = height * (c.last - c.first);
            quint64 total[4] = {0, 0, 0, 0};
            uchar darkest[4] = {255, 255, 255, 255};
            int x = c.first;
#if defined(__SSE2__)
            // Four 32-bit sums a pixel: one vector each, while they cannot overflow.
            if (area <= MaxVectorArea) {
                __m128i t = _mm_setzero_si128();
                __m128i d = _mm_set1_epi8(char(0xFF));
                for (; x < c.last; ++x) {
                    const size_t j = size_t(x - sourceLeft) * 4;
                    t = _mm_add_epi32(t, _mm_loadu_si128(reinterpret_cast<const __m128i*>(sum.data() + j)));
                    int bytes;
                    std::memcpy(&bytes, low.data() + j, 4);
                    d = _mm_min_epu8(d, _mm_cvtsi32_si128(bytes));
                }
                quint32 t4[4];
                _mm_storeu_si128(reinterpret_cast<__m128i*>(t4), t);
                const int d4 = _mm_cvtsi128_si32(d);
                for (int ch = 0; ch < 4; ++ch) {
                    total[ch] = t4[ch];
                    darkest[ch] = uchar(quint32(d4) >> (8 * ch));
                }
            }
#endif
            for (; x < c.last; ++x) {
                const size_t j = size_t(x - sourceLeft) * 4;
                for (int ch = 0; ch < 4; ++ch) {
                    total[ch] += sum[j + size_t(ch)];
                    darkest[ch] = std::min(darkest[ch], low[j + size_t(ch)]);
                }
            }
            dst[i] = blockColour(total, darkest, area);
        }
    }
}

} // namespace

namespace kuvaro {

DisplayBuilder::DisplayBuilder(QSize inner, double ratio, bool always)
    : m_inner(inner), m_ratio(ratio), m_always(always)
{
}

void DisplayBuilder::pictureSize(QSize size)
{
    m_picture = size;
    m_open.clear();
    m_builtCount = 0;
    m_viewScale = fitScale(m_inner, size);
    const QSize device = deviceSize(fittedViewSize(size, m_viewScale), m_ratio);
    // A picture in ordinary memory was just written there and is read back
    // fast, into the view's display memory of the last picture; one in a
    // memory file would have its pages mapped to be read.
    const bool inMemoryFile = qint64(size.width()) * size.height() * 4 >= CopyOnWriteFromBytes;
    if (size.isEmpty() || device.isEmpty() || !(m_viewScale > 0) || !(inMemoryFile || m_always)) {
        m_display = QImage();
        return;
    }
    m_display = QImage(device, QImage::Format_RGB32);
    if (m_display.isNull())
        return; // no memory: the copy is built the usual way later, or not at all
    const double scale = m_viewScale * m_ratio;
    m_columns = std::make_shared<DisplayColumns>(scale, 0, device.width(), size.width());
    m_rows.resize(size_t(device.height()));
    for (int i = 0; i < device.height(); ++i)
        m_rows[size_t(i)] = pixelSpanOfView(scale, i, size.height());
    m_built.assign(size_t(device.height()), false);
}

void DisplayBuilder::pictureLines(int first, int count, const QRgb* lines)
{
    if (m_display.isNull() || count <= 0)
        return;
    // The display lines whose picture lines lie in this batch: the spans
    // grow with the display line, so a search finds the first.
    const int last = first + count; // exclusive
    auto from = std::partition_point(m_rows.begin(), m_rows.end(), [&](const PixelSpan& s) { return s.last <= first; });
    const qsizetype stride = m_picture.width();
    // Display lines whose picture lines are all in this batch are built at
    // once, the way renderDisplay() builds them, in runs.
    const Lines batch{m_picture.height(), reinterpret_cast<const uchar*>(lines), stride * 4, first};
    int runStart = -1;
    auto endRun = [&](int end) {
        if (runStart < 0)
            return;
        renderLines(batch, m_viewScale * m_ratio, *m_columns, runStart, end - 1, m_display.bits(),
                    m_display.bytesPerLine());
        for (int v = runStart; v < end; ++v)
            m_built[size_t(v)] = true;
        m_builtCount += end - runStart;
        runStart = -1;
    };
    auto row = from;
    for (; row != m_rows.end() && row->first < last; ++row) {
        const int v = int(row - m_rows.begin());
        if (m_built[size_t(v)]) {
            endRun(v);
            continue;
        }
        if (row->first >= first && row->last <= last && !m_open.count(v)) {
            if (runStart < 0)
                runStart = v;
            continue;
        }
        endRun(v);
        // The rest of the display line comes in other batches: its sums are kept.
        const int height = row->last - row->first;
        const int y0 = std::max(row->first, first), y1 = std::min(row->last, last);
        LineSums& sums = m_open[v];
        for (int y = y0; y < y1; ++y)
            addLine(reinterpret_cast<const uchar*>(lines + (y - first) * stride), sums);
        sums.seen += y1 - y0;
        if (sums.seen >= height) {
            finishLine(v, sums);
            m_open.erase(v);
        }
    }
    endRun(int(row - m_rows.begin()));
}

void DisplayBuilder::addLine(const uchar* line, LineSums& to) const
{
    const std::vector<PixelSpan>& columns = m_columns->spans;
    const size_t n = columns.size();
    if (to.sums.empty()) {
        to.sums.assign(n * 4, 0);
        to.lows.assign(n * 4, 0xFF);
    }
    quint64* sums = to.sums.data();
    uchar* lows = to.lows.data();
    for (size_t i = 0; i < n; ++i, sums += 4, lows += 4) {
        int x = columns[i].first;
        const int end = columns[i].last;
#if defined(__SSE2__)
        __m128i low = _mm_set1_epi8(char(0xFF));
        // Wider blocks in pieces of the most that 16-bit lanes can sum.
        for (; x < end; x += MaxAcrossColumns) {
            alignas(16) quint16 lanes[8];
            _mm_store_si128(reinterpret_cast<__m128i*>(lanes),
                            sumAcross(line, x, std::min(end, x + MaxAcrossColumns), low));
            for (int ch = 0; ch < 4; ++ch)
                sums[ch] += lanes[ch];
        }
        keepDarkest(low, lows);
#else
        for (; x < end; ++x) {
            const uchar* px = line + size_t(x) * 4;
            for (int ch = 0; ch < 4; ++ch) {
                sums[ch] += px[ch];
                lows[ch] = std::min(lows[ch], px[ch]);
            }
        }
#endif
    }
}

void DisplayBuilder::finishLine(int displayLine, const LineSums& from)
{
    const PixelSpan rows = m_rows[size_t(displayLine)];
    const double height = rows.last - rows.first;
    auto* dst = reinterpret_cast<QRgb*>(m_display.scanLine(displayLine));
    const std::vector<PixelSpan>& columns = m_columns->spans;
    for (size_t i = 0; i < columns.size(); ++i)
        dst[i] = blockColour(from.sums.data() + i * 4, from.lows.data() + i * 4,
                             height * (columns[i].last - columns[i].first));
    m_built[size_t(displayLine)] = true;
    ++m_builtCount;
}

PreparedDisplay DisplayBuilder::take()
{
    PreparedDisplay done;
    if (!m_display.isNull() && m_builtCount == m_display.height()) {
        done.image = m_display;
        done.viewScale = m_viewScale;
        done.ratio = m_ratio;
    }
    m_display = QImage();
    m_open.clear();
    return done;
}

void renderDisplay(const QImage& source, double scale, const QRect& viewRect, QImage& display)
{
    const QRect r = viewRect.intersected(display.rect());
    if (r.isEmpty() || source.isNull())
        return;
    const DisplayColumns columns(scale, r.left(), r.width(), source.width());
    const Lines from{source.height(), source.constBits(), source.bytesPerLine(), 0};
    renderLines(from, scale, columns, r.top(), r.bottom(), display.bits(), display.bytesPerLine());
}

} // namespace kuvaro
