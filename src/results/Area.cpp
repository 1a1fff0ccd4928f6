#include "results/Area.h"

#include "digitizing/CalibrationMath.h"

namespace kuvaro {

double trapezoidArea(const QList<XYText>& points)
{
    double sum = 0.0;
    for (qsizetype i = 0; i + 1 < points.size(); ++i) {
        const double x0 = readCommaNumber(points[i].x);
        const double x1 = readCommaNumber(points[i + 1].x);
        const double y0 = readCommaNumber(points[i].y);
        const double y1 = readCommaNumber(points[i + 1].y);
        sum += (x1 - x0) * (y1 + y0) * 0.5;
    }
    return sum;
}

QString areaMessage(double area)
{
    // This message keeps the decimal point, unlike the list texts.
    return QString::asprintf("Die Fläche zwischen digitalisierter Polygonlinie und X-Achse beträgt  %.1f", area);
}

} // namespace kuvaro
