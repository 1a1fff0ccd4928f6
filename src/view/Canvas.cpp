#include "view/Canvas.h"

#include <cstdlib>

namespace kuvaro {

void TCanvas::plot(uchar* bits, qsizetype stride, int x, int y, bool mostlyHorizontal, QRgb rgb)
{
    // A wide pen spreads across the line's direction only, so the ends of a
    // stroke stay where a one-pixel pen would end them.
    const int lo = -(PenWidth - 1) / 2;
    const int hi = PenWidth / 2;
    const int w = m_target->width();
    const int h = m_target->height();
    for (int d = lo; d <= hi; ++d) {
        const int px = mostlyHorizontal ? x : x + d;
        const int py = mostlyHorizontal ? y + d : y;
        if (px < 0 || py < 0 || px >= w || py >= h)
            continue;
        reinterpret_cast<QRgb*>(bits + py * stride)[px] = rgb;
        m_piece |= QRect(px, py, 1, 1);
    }
}

void TCanvas::LineTo(int x, int y)
{
    const QPoint from = m_pos;
    m_pos = QPoint(x, y);
    if (!m_target || m_target->isNull() || m_target->depth() != 32 || from == m_pos)
        return;

    const QRgb rgb = toQRgb(PenColor) | 0xFF000000u;
    uchar* bits = m_target->bits();
    const qsizetype stride = m_target->bytesPerLine();

    // Bresenham from the start point, stopping before the end point.
    int x0 = from.x(), y0 = from.y();
    const int dx = std::abs(x - x0), dy = -std::abs(y - y0);
    const int sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
    const bool mostlyHorizontal = dx >= -dy;
    int err = dx + dy;
    int steps = 0;
    while (x0 != x || y0 != y) {
        plot(bits, stride, x0, y0, mostlyHorizontal, rgb);
        if (++steps == PieceLength) {
            report();
            steps = 0;
        }
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
    report();
}

void TCanvas::report()
{
    if (!m_piece.isEmpty() && Painted)
        Painted(m_piece);
    m_piece = QRect();
}

} // namespace kuvaro
