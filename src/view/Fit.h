#pragma once
// Fitting a picture into the view frame and converting view units into picture pixels.

#include <QSize>

namespace kuvaro {

// trunc((1 / scale) * v): the reciprocal first, then the product, truncated toward zero.
int viewToPixel(double displayScale, int v);

// The smaller of the two ratios inner / picture, the width ratio on a tie.
double fitScale(QSize inner, QSize picture);

// The view size for a picture at a scale: both products truncated toward zero.
QSize fittedViewSize(QSize picture, double displayScale);

} // namespace kuvaro
