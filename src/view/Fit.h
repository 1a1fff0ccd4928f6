#pragma once
// Fitting a picture into the view frame and converting between view units and
// picture pixels.
//
// One rule ties what the view shows to what a click takes: view pixel v stands
// for the picture pixels from viewToPixel(v) up to, not including,
// viewToPixel(v + 1) (at least one pixel, when the picture is enlarged). A
// click on v takes the first of them, viewToPixel(v).

#include <QSize>

namespace kuvaro {

// trunc((1 / scale) * v): the reciprocal first, then the product, truncated toward zero.
int viewToPixel(double displayScale, int v);

// The smaller of the two ratios inner / picture, the width ratio on a tie.
double fitScale(QSize inner, QSize picture);

// The view size for a picture at a scale: both products truncated toward
// zero, but at least one view pixel each way.
QSize fittedViewSize(QSize picture, double displayScale);

// The size in device pixels of a view on a screen of `ratio` device pixels
// per view unit: the display copy's size.
QSize deviceSize(QSize view, double ratio);

// The picture pixels [first, last) that view pixel v stands for along one
// axis of `pixels` picture pixels: never empty, never outside the picture.
struct PixelSpan
{
    int first = 0;
    int last = 0; // exclusive
};
PixelSpan pixelSpanOfView(double displayScale, int v, int pixels);

// The view pixels [first, last] (inclusive) along one axis of `viewLength`
// view pixels whose spans touch the picture pixels p0..p1 (inclusive); empty
// (first > last) when none does.
struct ViewRange
{
    int first = 0;
    int last = -1;
};
ViewRange viewRangeOfPixels(double displayScale, int p0, int p1, int viewLength, int pixels);

} // namespace kuvaro
