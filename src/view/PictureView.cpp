#include "view/PictureView.h"

#include "view/Fit.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

#include <algorithm>
#include <cmath>
#include <vector>

TPictureView::TPictureView(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TPictureView::pictureReplaced()
{
    if (Picture.isNull()) {
        m_display = QImage();
    } else {
        m_display = QImage(size(), QImage::Format_RGB32);
        render(m_display.rect());
    }
    update();
}

QRect TPictureView::viewRectOf(const QRect& pixelRect) const
{
    if (pixelRect.isEmpty() || m_display.isNull())
        return {};
    // View pixel v shows picture pixel viewToPixel(v); widen by one on each side
    // so rounding of the scale can never leave a changed view pixel out.
    const int left = int(std::floor(pixelRect.left() * m_scale)) - 1;
    const int top = int(std::floor(pixelRect.top() * m_scale)) - 1;
    const int right = int(std::ceil((pixelRect.right() + 1) * m_scale)) + 1;
    const int bottom = int(std::ceil((pixelRect.bottom() + 1) * m_scale)) + 1;
    return QRect(QPoint(left, top), QPoint(right, bottom)).intersected(m_display.rect());
}

void TPictureView::pictureChanged(const QRect& pixelRect)
{
    const QRect viewRect = viewRectOf(pixelRect);
    if (viewRect.isEmpty())
        return;
    render(viewRect);
    update(viewRect);
}

void TPictureView::render(const QRect& viewRect)
{
    const int pw = Picture.width();
    const int ph = Picture.height();
    std::vector<int> columns(size_t(viewRect.width()));
    for (int vx = viewRect.left(); vx <= viewRect.right(); ++vx)
        columns[size_t(vx - viewRect.left())] = std::clamp(kuvaro::viewToPixel(m_scale, vx), 0, pw - 1);
    for (int vy = viewRect.top(); vy <= viewRect.bottom(); ++vy) {
        const int py = std::clamp(kuvaro::viewToPixel(m_scale, vy), 0, ph - 1);
        const QRgb* src = reinterpret_cast<const QRgb*>(Picture.constScanLine(py));
        QRgb* dst = reinterpret_cast<QRgb*>(m_display.scanLine(vy));
        for (int vx = viewRect.left(); vx <= viewRect.right(); ++vx)
            dst[vx] = src[columns[size_t(vx - viewRect.left())]];
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
