#include "view/PictureView.h"

#include "view/Fit.h"
#include "view/PictureMemory.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <new>
#include <vector>

using kuvaro::PixelSpan;
using kuvaro::pixelSpanOfView;

namespace {

// Where the colour bytes of a 32-bit pixel (0xAARRGGBB) lie in memory.
constexpr bool LittleEndian = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
constexpr int BlueByte = LittleEndian ? 0 : 3;
constexpr int GreenByte = LittleEndian ? 1 : 2;
constexpr int RedByte = LittleEndian ? 2 : 1;

// Lines summed into 16-bit counters before they are carried over into the
// 32-bit sums: 257 lines of 255 still fit.
constexpr int LinesPerBatch = 257;
// Picture pixels per view pixel up to which 32-bit sums of bytes cannot overflow.
constexpr quint64 MaxVectorArea = 0xFFFFFFFFu / 255;

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

} // namespace

TPictureView::TPictureView(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TPictureView::pictureReplaced()
{
    rebuildDisplay(Picture);
    m_pristineKey = 0;
}

void TPictureView::pictureReplaced(const QImage& pristine)
{
    const bool usable = pristine.size() == Picture.size() && pristine.format() == QImage::Format_RGB32;
    rebuildDisplay(usable ? pristine : Picture);
    m_pristineKey = usable ? pristine.cacheKey() : 0;
}

void TPictureView::rebuildDisplay(const QImage& source)
{
    m_changed = QRegion();
    if (Picture.isNull() || size().isEmpty()) {
        m_display = QImage();
    } else {
        m_display = QImage(size(), QImage::Format_RGB32);
        if (m_display.isNull())
            throw std::bad_alloc();
        render(m_display.rect(), source);
    }
    update();
}

QRect TPictureView::viewRectOf(const QRect& pixelRect) const
{
    if (pixelRect.isEmpty() || m_display.isNull() || Picture.isNull())
        return {};
    const kuvaro::ViewRange xs =
        kuvaro::viewRangeOfPixels(m_scale, pixelRect.left(), pixelRect.right(), m_display.width(), Picture.width());
    const kuvaro::ViewRange ys =
        kuvaro::viewRangeOfPixels(m_scale, pixelRect.top(), pixelRect.bottom(), m_display.height(), Picture.height());
    if (xs.first > xs.last || ys.first > ys.last)
        return {};
    return QRect(QPoint(xs.first, ys.first), QPoint(xs.last, ys.last));
}

void TPictureView::pictureChanged(const QRect& pixelRect)
{
    const QRect changed = pixelRect.intersected(Picture.rect());
    if (changed.isEmpty())
        return;
    m_changed += changed;
    const QRect viewRect = viewRectOf(changed);
    if (viewRect.isEmpty())
        return;
    render(viewRect, Picture);
    update(viewRect);
}

void TPictureView::restoreFrom(const QImage& pristine)
{
    if (Picture.isNull() || pristine.isNull() || Picture.size() != pristine.size() ||
        Picture.format() != QImage::Format_RGB32 || pristine.cacheKey() != m_pristineKey) {
        QImage working = kuvaro::workingCopyOf(pristine);
        if (working.isNull() && !pristine.isNull())
            throw std::bad_alloc();
        Picture = working;
        pictureReplaced(pristine);
        return;
    }
    const QRegion changed = m_changed;
    m_changed = QRegion();
    for (const QRect& r : changed)
        kuvaro::restorePixels(Picture, pristine, r);
    // The whole working bitmap equals the pristine one again, whose pixels are
    // at hand in memory.
    for (const QRect& r : changed) {
        const QRect viewRect = viewRectOf(r);
        if (!viewRect.isEmpty()) {
            render(viewRect, pristine);
            update(viewRect);
        }
    }
}

void TPictureView::render(const QRect& viewRect, const QImage& source)
{
    const QRect r = viewRect.intersected(m_display.rect());
    if (r.isEmpty() || source.isNull())
        return;
    const int pw = source.width();
    const int ph = source.height();

    std::vector<PixelSpan> columns(size_t(r.width()));
    bool singleColumns = true;
    for (int i = 0; i < r.width(); ++i) {
        columns[size_t(i)] = pixelSpanOfView(m_scale, r.left() + i, pw);
        singleColumns = singleColumns && columns[size_t(i)].last - columns[size_t(i)].first == 1;
    }
    const int sourceLeft = columns.front().first;
    const int sourceBytes = (columns.back().last - sourceLeft) * 4;
    std::vector<quint32> sum;
    std::vector<quint16> acc;
    std::vector<uchar> low;

    for (int vy = r.top(); vy <= r.bottom(); ++vy) {
        const PixelSpan rows = pixelSpanOfView(m_scale, vy, ph);
        QRgb* dst = reinterpret_cast<QRgb*>(m_display.scanLine(vy)) + r.left();
        if (singleColumns && rows.last - rows.first == 1) {
            // One picture pixel for each view pixel: take it as it is.
            const QRgb* src = reinterpret_cast<const QRgb*>(source.constScanLine(rows.first));
            for (int i = 0; i < r.width(); ++i)
                dst[i] = src[columns[size_t(i)].first];
            continue;
        }
        // Sum and darkest value of each byte down the block's lines, then
        // across each view pixel's columns.
        sum.assign(size_t(sourceBytes), 0);
        low.assign(size_t(sourceBytes), 255);
        for (int y = rows.first; y < rows.last; y += LinesPerBatch) {
            acc.assign(size_t(sourceBytes), 0);
            const int end = std::min(rows.last, y + LinesPerBatch);
            for (int line = y; line < end; ++line)
                addLine(source.constScanLine(line) + qsizetype(sourceLeft) * 4, sourceBytes, acc.data(), low.data());
            for (size_t j = 0; j < size_t(sourceBytes); ++j)
                sum[j] += acc[j];
        }
        const quint64 height = quint64(rows.last - rows.first);
        for (int i = 0; i < r.width(); ++i) {
            const PixelSpan c = columns[size_t(i)];
            const quint64 area = height * quint64(c.last - c.first);
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
            int out[4];
            for (int ch = 0; ch < 4; ++ch) {
                const quint64 mean = (total[ch] + area / 2) / area;
                out[ch] = int((mean + darkest[ch] + 1) / 2);
            }
            dst[i] = qRgb(out[RedByte], out[GreenByte], out[BlueByte]);
        }
    }
}

void TPictureView::paintEvent(QPaintEvent* event)
{
    if (m_display.isNull())
        return;
    QPainter p(this);
    p.drawImage(event->rect().topLeft(), m_display, event->rect());
}

void TPictureView::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    Q_EMIT mousePressed(event->button(), event->buttons(), pos.x(), pos.y());
}

void TPictureView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    Q_EMIT mouseMoved(event->buttons(), pos.x(), pos.y());
}
