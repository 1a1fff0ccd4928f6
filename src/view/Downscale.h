#pragma once
// The display copy of a picture: each view pixel stands for the block of
// picture pixels that the conversion view -> picture maps to it (view/Fit.h)
// and shows their mean colour pulled halfway toward their darkest. A mean
// alone would fade a one-pixel diagram line to nothing at strong reduction,
// picking one pixel of the block would drop most lines altogether, and the
// halfway mix keeps thin dark lines visible on light paper without turning
// the paper's specks into blots. An enlarged picture repeats its pixels.

#include <QImage>
#include <QRect>

#include <functional>

namespace kuvaro {

// Builds the pixels of viewRect (clipped to the display) of the display copy
// from `source` shown at `scale` view pixels per picture pixel. Both images
// are 32-bit; only the pixels inside viewRect are written.
void renderDisplay(const QImage& source, double scale, const QRect& viewRect, QImage& display);

// Where line y of a picture is read from: a line with the same pixels as the
// picture's own in the columns that are read (another copy of the picture).
using PictureLines = std::function<const uchar*(int y)>;

// As above, reading each picture line where `lines` says; the picture's own
// lines when `lines` is empty.
void renderDisplay(const QImage& source, double scale, const QRect& viewRect, QImage& display,
                   const PictureLines& lines);

} // namespace kuvaro
