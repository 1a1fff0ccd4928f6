#include "results/Area.h"

#include "core/Errors.h"
#include "digitizing/CalibrationMath.h"

#include <cmath>

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
    // Huge diagram values can overflow a difference, a sum or the total; once
    // infinite or undefined the total stays so and says nothing about the area.
    if (!std::isfinite(sum))
        throw KuvaroError(areaOutOfRangeText());
    return sum;
}

QString areaOutOfRangeText() { return QStringLiteral("Die Fläche übersteigt den darstellbaren Zahlenbereich"); }

QString areaMessage(double area)
{
    // This message keeps the decimal point, unlike the list texts.
    return QString::asprintf("Die Fläche zwischen digitalisierter Polygonlinie und X-Achse beträgt  %.1f", area);
}

} // namespace kuvaro
