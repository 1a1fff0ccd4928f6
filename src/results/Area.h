#pragma once
// The signed area between the polyline and the X axis by the trapezoid rule,
// from the x and y texts of the point list in list order.

#include <QList>
#include <QString>

namespace kuvaro {

struct XYText
{
    QString x;
    QString y;
};

// Reads x_i, x_i+1, y_i, y_i+1 of each segment in this order; the first text
// that is not a number fails with "'<text>' ist kein gültiger Gleitkommawert".
// Needs at least two points. A total that is not finite (the sums of huge
// values overflow) fails with areaOutOfRangeText().
double trapezoidArea(const QList<XYText>& points);

// "Die Fläche übersteigt den darstellbaren Zahlenbereich"
QString areaOutOfRangeText();

// "Die Fläche zwischen digitalisierter Polygonlinie und X-Achse beträgt  %.1f"
QString areaMessage(double area);

} // namespace kuvaro
