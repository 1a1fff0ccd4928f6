#pragma once
// A drawing surface over a 32-bit QImage with the pixel rules the overlay needs:
// move-to paints nothing; line-to paints from the current position towards the
// end point, the end point itself not painted, and then stands at the end point.
// Pixels outside the image are skipped. QPainter cannot give these exact pixels
// (it paints the end point and anti-aliases wide pens), so this is hand-written.
//
// Whoever shows the image learns what changed through `Painted`: after each
// line-to it receives rectangles that together cover every pixel painted, a
// long line in short pieces, so a diagonal across a large picture names a
// narrow band of pixels and not its whole bounding box.

#include "core/Colours.h"

#include <QImage>
#include <QPoint>
#include <QRect>

#include <functional>

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

    std::function<void(const QRect&)> Painted;

    // Steps along a line after which the pixels painted so far are reported.
    static constexpr int PieceLength = 32;

private:
    void plot(uchar* bits, qsizetype stride, int x, int y, bool mostlyHorizontal, QRgb rgb);
    void report();

    QImage* m_target = nullptr;
    QPoint m_pos;
    QRect m_piece;
};

} // namespace kuvaro
