#pragma once
// The magnifier: 50 x 50 picture pixels around the cursor, stretched without
// smoothing onto a 198 x 198 surface, with a crosshair that leaves the cursor
// pixel free.

#include <QImage>
#include <QRect>

namespace kuvaro {

inline constexpr int MagnifierSource = 50;
inline constexpr int MagnifierSize = 198;

// Columns px - 25 .. px + 24 and rows py - 25 .. py + 24.
QRect magnifierSourceRect(int px, int py);

// Nearest-neighbour stretch of the source rectangle onto the whole surface;
// parts of the rectangle outside the picture show the frame's grey.
void stretchIntoMagnifier(const QImage& picture, const QRect& source, QImage& surface);

} // namespace kuvaro
