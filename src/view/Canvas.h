#pragma once
// A drawing surface over a 32-bit QImage with the pixel rules the overlay needs:
// move-to paints nothing; line-to paints from the current position towards the
// end point, the end point itself not painted, and then stands at the end point.
// Pixels outside the image are skipped. QPainter cannot give these exact pixels
// (it paints the end point and anti-aliases wide pens), so this is hand-written.

#include "app/Controls.h"

#include <QImage>
#include <QPoint>
#include <QRect>

namespace kuvaro {

class TCanvas
{
public:
    explicit TCanvas(QImage* target = nullptr) : m_target(target) {}

    void setTarget(QImage* target) { m_target = target; }
    QImage* target() const { return m_target; }

    TColor PenColor = clBlack;
    int PenWidth = 1;

    void MoveTo(int x, int y) { m_pos = QPoint(x, y); }
    void LineTo(int x, int y);
    QPoint PenPos() const { return m_pos; }

    // The bounding rectangle of the pixels painted since the last call, then forgotten.
    QRect takeDirty();

private:
    void plot(uchar* bits, qsizetype stride, int x, int y, bool mostlyHorizontal, QRgb rgb);

    QImage* m_target = nullptr;
    QPoint m_pos;
    QRect m_dirty;
};

} // namespace kuvaro
