#include "view/Magnifier.h"

#include "core/Colours.h"

#include <vector>

namespace kuvaro {

QRect magnifierSourceRect(int px, int py)
{
    return QRect(px - MagnifierSource / 2, py - MagnifierSource / 2, MagnifierSource, MagnifierSource);
}

void stretchIntoMagnifier(const QImage& picture, const QRect& source, QImage& surface)
{
    const int sw = source.width(), sh = source.height();
    const int dw = surface.width(), dh = surface.height();
    const QRgb outside = toQRgb(clGrey) | 0xFF000000u;
    const bool readable = !picture.isNull() && picture.depth() == 32;
    // QImage::width() is a library call; asked for every pixel it doubled the time of a mouse move.
    const int pictureWidth = picture.width();

    std::vector<int> columns(size_t(dw > 0 ? dw : 0));
    for (int dx = 0; dx < dw; ++dx)
        columns[size_t(dx)] = source.left() + dx * sw / dw;

    for (int dy = 0; dy < dh; ++dy) {
        const int sy = source.top() + dy * sh / dh;
        QRgb* dst = reinterpret_cast<QRgb*>(surface.scanLine(dy));
        const bool rowInside = readable && sy >= 0 && sy < picture.height();
        const QRgb* src = rowInside ? reinterpret_cast<const QRgb*>(picture.constScanLine(sy)) : nullptr;
        for (int dx = 0; dx < dw; ++dx) {
            const int sx = columns[size_t(dx)];
            dst[dx] = (src && sx >= 0 && sx < pictureWidth) ? src[sx] : outside;
        }
    }
}

} // namespace kuvaro
