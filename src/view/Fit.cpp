#include "view/Fit.h"

namespace kuvaro {

int viewToPixel(double displayScale, int v)
{
    const double reciprocal = 1.0 / displayScale;
    return int(reciprocal * v);
}

double fitScale(QSize inner, QSize picture)
{
    const double rW = double(inner.width()) / picture.width();
    const double rH = double(inner.height()) / picture.height();
    return rW > rH ? rH : rW;
}

QSize fittedViewSize(QSize picture, double displayScale)
{
    return QSize(int(picture.width() * displayScale), int(picture.height() * displayScale));
}

} // namespace kuvaro
