#pragma once
// One captured point as the point list holds it: six texts.

#include <QString>

namespace kuvaro {

enum PointColumn { ColNr = 0, ColX, ColY, ColIx, ColIy, ColLineCol, PointColumnCount };

struct PointRow
{
    QString nr;      // the point's number
    QString x;       // diagram X, "%6.1f" with a decimal comma
    QString y;       // diagram Y, likewise
    QString ix;      // picture pixel X
    QString iy;      // picture pixel Y
    QString linecol; // line colour 0x00BBGGRR as a decimal integer
};

} // namespace kuvaro
