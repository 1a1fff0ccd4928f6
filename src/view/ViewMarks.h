#pragma once
// Marks drawn in view pixels on top of the shown picture. At small display
// scales the calibration crosses and the captured points, drawn into the
// working bitmap in picture pixels, shrink to a pale pixel or vanish; the view
// then draws them again at a size the eye finds, without touching the bitmap.

#include "core/Colours.h"

#include <QList>
#include <QPoint>
#include <QRect>

class QPainter;

namespace kuvaro {

struct ViewMark
{
    enum Kind { Cross, Dot };
    Kind kind = Dot;
    QPoint pixel; // picture pixel
    TColor colour = clBlack;
};

// True where a cross of seven picture pixels would be smaller than five view pixels.
bool marksNeedViewPixels(double scale);

// The view rectangle a mark of the pixel covers at the scale.
QRect viewMarkRect(QPoint pixel, double scale);

void drawViewMarks(QPainter& painter, const QList<ViewMark>& marks, double scale, const QRect& clip);

} // namespace kuvaro
