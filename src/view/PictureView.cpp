#include "core/Errors.h"
#include "view/PictureView.h"

#include "view/Downscale.h"
#include "view/Fit.h"
#include "view/PictureMemory.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>


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
        // The memory of the last display copy is used again when it fits:
        // fresh memory costs a page fault for every 4 KB on first touch.
        if (m_display.size() != size() || m_display.format() != QImage::Format_RGB32)
            m_display = QImage(size(), QImage::Format_RGB32);
        if (m_display.isNull())
            throw outOfMemory();
        kuvaro::renderDisplay(source, m_scale, m_display.rect(), m_display);
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
    kuvaro::renderDisplay(Picture, m_scale, viewRect, m_display);
    update(viewRect);
}

void TPictureView::restoreFrom(const QImage& pristine)
{
    if (Picture.isNull() || pristine.isNull() || Picture.size() != pristine.size() ||
        Picture.format() != QImage::Format_RGB32 || pristine.cacheKey() != m_pristineKey) {
        QImage working = kuvaro::workingCopyOf(pristine);
        if (working.isNull() && !pristine.isNull())
            throw outOfMemory();
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
            kuvaro::renderDisplay(pristine, m_scale, viewRect, m_display);
            update(viewRect);
        }
    }
}

void TPictureView::paintEvent(QPaintEvent* event)
{
    if (m_display.isNull())
        return;
    QPainter p(this);
    p.drawImage(event->rect().topLeft(), m_display, event->rect());
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
