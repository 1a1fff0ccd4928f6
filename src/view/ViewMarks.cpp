#include "view/ViewMarks.h"

#include <QPainter>
#include <cmath>

namespace kuvaro {

namespace {

constexpr int Arm = 3; // view pixels each side of the centre, as the picture's cross

QPoint viewCentre(QPoint pixel, double scale)
{
    return {int(std::floor((pixel.x() + 0.5) * scale)), int(std::floor((pixel.y() + 0.5) * scale))};
}

} // namespace

bool marksNeedViewPixels(double scale) { return scale * (2 * Arm + 1) < 5.0; }

QRect viewMarkRect(QPoint pixel, double scale)
{
    const QPoint c = viewCentre(pixel, scale);
    return {c.x() - Arm, c.y() - Arm, 2 * Arm + 1, 2 * Arm + 1};
}

void drawViewMarks(QPainter& painter, const QList<ViewMark>& marks, double scale, const QRect& clip)
{
    for (const ViewMark& m : marks) {
        if (!viewMarkRect(m.pixel, scale).intersects(clip))
            continue;
        const QPoint c = viewCentre(m.pixel, scale);
        const QColor colour = toQColor(m.colour);
        if (m.kind == ViewMark::Cross) {
            // The centre stays free, so the marked spot of the picture shows through.
            painter.fillRect(c.x() - Arm, c.y(), Arm, 1, colour);
            painter.fillRect(c.x() + 1, c.y(), Arm, 1, colour);
            painter.fillRect(c.x(), c.y() - Arm, 1, Arm, colour);
            painter.fillRect(c.x(), c.y() + 1, 1, Arm, colour);
        } else {
            painter.fillRect(c.x() - 1, c.y() - 1, 3, 3, colour);
        }
    }
}

} // namespace kuvaro
