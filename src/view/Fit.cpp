#include "view/Fit.h"

#include <QSizeF>

#include <algorithm>
#include <climits>
#include <cmath>

namespace kuvaro {

int viewToPixel(double displayScale, int v)
{
    const double reciprocal = 1.0 / displayScale;
    const double product = reciprocal * v;
    // A scale that is not positive comes only from a frame without room; keep
    // the conversion defined instead of truncating infinity.
    if (!(std::fabs(product) < double(INT_MAX)))
        return product < 0 ? INT_MIN : (product > 0 ? INT_MAX : 0);
    return int(product);
}

double fitScale(QSize inner, QSize picture)
{
    const double rW = double(inner.width()) / picture.width();
    const double rH = double(inner.height()) / picture.height();
    return rW > rH ? rH : rW;
}

QSize fittedViewSize(QSize picture, double displayScale)
{
    // Products of doubles, truncated: 2000 pixels at 1478 / 2000 make 1478
    // view pixels (an extended-precision product would come out just below).
    // At least one view pixel each way: a 3000 x 1 picture must still be seen and clicked.
    if (picture.isEmpty())
        return {};
    return QSize(std::max(1, int(picture.width() * displayScale)), std::max(1, int(picture.height() * displayScale)));
}

QSize deviceSize(QSize view, double ratio)
{
    return ratio == 1.0 ? view : (QSizeF(view) * ratio).toSize();
}

PixelSpan pixelSpanOfView(double displayScale, int v, int pixels)
{
    PixelSpan s;
    if (pixels <= 0)
        return s;
    s.first = std::clamp(viewToPixel(displayScale, v), 0, pixels - 1);
    const int next = v < INT_MAX ? viewToPixel(displayScale, v + 1) : pixels;
    s.last = std::clamp(next, s.first + 1, pixels);
    return s;
}

ViewRange viewRangeOfPixels(double displayScale, int p0, int p1, int viewLength, int pixels)
{
    ViewRange r;
    if (viewLength <= 0 || pixels <= 0 || p1 < p0 || p1 < 0 || p0 >= pixels)
        return r;
    p0 = std::max(p0, 0);
    p1 = std::min(p1, pixels - 1);
    auto span = [&](int v) { return pixelSpanOfView(displayScale, v, pixels); };
    auto guess = [&](int p) { return int(std::clamp(std::floor(p * displayScale), 0.0, double(viewLength - 1))); };
    // The spans grow with v, so start near the product and walk to the exact
    // bounds; the walk takes a step or two at most.
    // first: the smallest v whose span ends after p0.
    int first = guess(p0);
    while (first > 0 && span(first - 1).last > p0)
        --first;
    while (first < viewLength - 1 && span(first).last <= p0)
        ++first;
    // last: the largest v whose span starts at or before p1.
    int last = guess(p1);
    while (last < viewLength - 1 && span(last + 1).first <= p1)
        ++last;
    while (last > 0 && span(last).first > p1)
        --last;
    if (span(first).last <= p0 || span(last).first > p1 || first > last)
        return r;
    r.first = first;
    r.last = last;
    return r;
}

} // namespace kuvaro
