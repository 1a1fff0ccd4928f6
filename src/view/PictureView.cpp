#include "core/Errors.h"
#include "view/PictureView.h"

#include "view/Downscale.h"
#include "view/Fit.h"
#include "view/PictureMemory.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

#include <algorithm>
#include <cstring>
#include <vector>


TPictureView::TPictureView(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    Canvas.setTarget(&Picture);
    Canvas.Painted = [this](const QRect& pixels) { pictureChanged(pixels); };
}

void TPictureView::pictureReplaced()
{
    rebuildDisplay(Picture);
    m_pristine = QImage();
}

void TPictureView::pictureReplaced(const QImage& pristine, const kuvaro::PreparedDisplay& prepared)
{
    const bool usable = pristine.size() == Picture.size() && pristine.format() == QImage::Format_RGB32;
    rebuildDisplay(usable ? pristine : Picture, prepared);
    m_pristine = usable ? pristine : QImage();
}

void TPictureView::rebuildDisplay(const QImage& source, const kuvaro::PreparedDisplay& prepared)
{
    m_changed.clear();
    renderWhole(source, prepared);
}

void TPictureView::renderWhole(const QImage& source, const kuvaro::PreparedDisplay& prepared)
{
    m_staleArea = QRect();
    // On a high-density screen the display copy has the screen's own pixels,
    // so the view shows as much of the picture as the screen can.
    m_ratio = devicePixelRatioF();
    const QSize device = kuvaro::deviceSize(size(), m_ratio);
    if (Picture.isNull() || device.isEmpty()) {
        m_display = QImage();
        m_stale.clear();
    } else if (prepared.image.size() == device && prepared.image.format() == QImage::Format_RGB32 &&
               prepared.viewScale == m_scale && prepared.ratio == m_ratio) {
        m_display = prepared.image;
        m_stale.assign(size_t(m_display.width()) * size_t(m_display.height()), 0);
    } else {
        // The memory of the last display copy is used again when it fits:
        // fresh memory costs a page fault for every 4 KB on first touch.
        if (m_display.size() != device || m_display.format() != QImage::Format_RGB32)
            m_display = QImage(device, QImage::Format_RGB32);
        if (m_display.isNull())
            throw outOfMemory();
        m_stale.assign(size_t(m_display.width()) * size_t(m_display.height()), 0);
        kuvaro::renderDisplay(source, deviceScale(), m_display.rect(), m_display);
    }
    update();
}

QRect TPictureView::toLogical(const QRect& device) const
{
    if (m_ratio == 1.0 || device.isEmpty())
        return device;
    const QRectF r(device.x() / m_ratio, device.y() / m_ratio, device.width() / m_ratio, device.height() / m_ratio);
    return r.toAlignedRect();
}

QRect TPictureView::viewRectOf(const QRect& pixelRect) const
{
    if (pixelRect.isEmpty() || m_display.isNull() || Picture.isNull())
        return {};
    const kuvaro::ViewRange xs =
        kuvaro::viewRangeOfPixels(deviceScale(), pixelRect.left(), pixelRect.right(), m_display.width(), Picture.width());
    const kuvaro::ViewRange ys =
        kuvaro::viewRangeOfPixels(deviceScale(), pixelRect.top(), pixelRect.bottom(), m_display.height(), Picture.height());
    if (xs.first > xs.last || ys.first > ys.last)
        return {};
    return QRect(QPoint(xs.first, ys.first), QPoint(xs.last, ys.last));
}

void TPictureView::noteChanged(const QRect& pixels)
{
    // A line arrives in short pieces, each next to the last: pieces along a
    // row or a column join into one rectangle, since that covers no pixel
    // more than the pieces do; a diagonal keeps its pieces, whose bounding
    // box would be mostly untouched pixels.
    if (!m_changed.empty()) {
        QRect& last = m_changed.back();
        if (last.contains(pixels))
            return;
        const QRect both = last.united(pixels);
        const qint64 area = qint64(both.width()) * both.height();
        if (area <= qint64(last.width()) * last.height() + qint64(pixels.width()) * pixels.height()) {
            last = both;
            return;
        }
    }
    m_changed.push_back(pixels);
}

void TPictureView::markStale(const QRect& viewRect)
{
    if (viewRect.isEmpty() || m_stale.empty())
        return;
    const int w = m_display.width();
    for (int y = viewRect.top(); y <= viewRect.bottom(); ++y)
        std::memset(m_stale.data() + size_t(y) * size_t(w) + size_t(viewRect.left()), 1, size_t(viewRect.width()));
    m_staleArea |= viewRect;
    // One repaint request for all: a request for each of the many pieces of
    // a polyline would cost more than drawing it, as the widget's pending
    // region grows by one rectangle each time.
    const QRect logical = toLogical(viewRect);
    if (!m_repaintArea.contains(logical)) {
        m_repaintArea |= logical;
        update(m_repaintArea);
    }
}

void TPictureView::flushDisplay() const
{
    if (m_staleArea.isEmpty())
        return;
    const int w = m_display.width();
    for (int y = m_staleArea.top(); y <= m_staleArea.bottom(); ++y) {
        uchar* row = m_stale.data() + size_t(y) * size_t(w);
        int x = m_staleArea.left();
        const int end = m_staleArea.right() + 1;
        while (x < end) {
            const auto* from = static_cast<const uchar*>(std::memchr(row + x, 1, size_t(end - x)));
            if (!from)
                break;
            const int first = int(from - row);
            const auto* past = static_cast<const uchar*>(std::memchr(from, 0, size_t(end - first)));
            const int last = past ? int(past - row) : end;
            // A run that the next lines have too is built with them: one
            // call for a block instead of one for each of its lines.
            int lines = 1;
            while (y + lines <= m_staleArea.bottom()) {
                uchar* below = row + size_t(lines) * size_t(w);
                if (std::memchr(below + first, 0, size_t(last - first)))
                    break;
                std::memset(below + first, 0, size_t(last - first));
                ++lines;
            }
            std::memset(row + first, 0, size_t(last - first));
            renderStale(QRect(first, y, last - first, lines));
            x = last;
        }
    }
    m_staleArea = QRect();
}

void TPictureView::renderStale(const QRect& viewRect) const
{
    // From the working bitmap alone: a copy-on-write one has its pages
    // mapped ahead after loading (view/PictureMemory), and reading the
    // pristine bitmap beside it would map the same pages a second time.
    kuvaro::renderDisplay(Picture, deviceScale(), viewRect, m_display);
}

const QImage& TPictureView::displayImage() const
{
    flushDisplay();
    return m_display;
}

void TPictureView::pictureChanged(const QRect& pixelRect)
{
    const QRect changed = pixelRect.intersected(Picture.rect());
    if (changed.isEmpty())
        return;
    noteChanged(changed);
    markStale(viewRectOf(changed));
}

void TPictureView::restoreFrom(const QImage& pristine)
{
    if (Picture.isNull() || pristine.isNull() || Picture.size() != pristine.size() ||
        Picture.format() != QImage::Format_RGB32 || pristine.cacheKey() != m_pristine.cacheKey()) {
        QImage working = kuvaro::workingCopyOf(pristine);
        if (working.isNull() && !pristine.isNull())
            throw outOfMemory();
        Picture = working;
        pictureReplaced(pristine);
        return;
    }
    if (m_changed.empty())
        return;
    // The pixels are copied back rather than the drawn-on pages of a
    // copy-on-write bitmap dropped: what is restored is mostly drawn again
    // right after (taking a point back redraws all the others), and a dropped
    // page costs a page fault and a copy of 4 KB when it is drawn on again.
    const qsizetype toLine = Picture.bytesPerLine(), fromLine = pristine.bytesPerLine();
    uchar* to = Picture.bits();
    const uchar* from = pristine.constBits();
    for (const QRect& r : m_changed) {
        const size_t offset = size_t(r.left()) * 4;
        const size_t bytes = size_t(r.width()) * 4;
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memcpy(to + y * toLine + offset, from + y * fromLine + offset, bytes);
        markStale(viewRectOf(r));
    }
    m_changed.clear();
}

void TPictureView::paintEvent(QPaintEvent* event)
{
    if (m_display.isNull())
        return;
    // Moved to a screen of another density: the copy is built anew for it.
    if (devicePixelRatioF() != m_ratio) {
        flushDisplay();
        renderWhole(Picture);
    }
    m_repaintArea = QRect();
    flushDisplay();
    QPainter p(this);
    if (m_ratio == 1.0) {
        p.drawImage(event->rect().topLeft(), m_display, event->rect());
    } else {
        // Device pixels one to one: the logical rectangle and the same
        // rectangle in the copy's pixels cover the same screen pixels.
        const QRect r = event->rect();
        p.drawImage(QRectF(r), m_display,
                    QRectF(r.x() * m_ratio, r.y() * m_ratio, r.width() * m_ratio, r.height() * m_ratio));
    }
    if (!m_marks.isEmpty() && kuvaro::marksNeedViewPixels(m_scale))
        kuvaro::drawViewMarks(p, m_marks, m_scale, event->rect());
}

void TPictureView::addMark(const kuvaro::ViewMark& mark)
{
    m_marks.append(mark);
    if (kuvaro::marksNeedViewPixels(m_scale))
        update(kuvaro::viewMarkRect(mark.pixel, m_scale));
}

void TPictureView::clearMarks()
{
    if (m_marks.isEmpty())
        return;
    if (kuvaro::marksNeedViewPixels(m_scale)) {
        for (const kuvaro::ViewMark& m : m_marks)
            update(kuvaro::viewMarkRect(m.pixel, m_scale));
    }
    m_marks.clear();
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
