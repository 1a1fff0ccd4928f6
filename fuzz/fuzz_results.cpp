// The result file and the area from the texts of the point list.
//
// Input: one byte, then
//   even: a calibration as the program makes it (four 16-bit view positions,
//         the X and Y entries as lines) and 16-bit view positions of captured
//         points, whose list texts are the read-outs at those positions;
//   odd:  list texts as lines, three a point (Nr., x, y).
//
// Invariants: no crash; the file is the byte order mark and n + 7 lines, each
// with CR LF, the point lines carrying the list texts; for captured points
// the file holds no NaN or infinity and the area is a finite number; for any
// texts the area is refused with the program's message or, when every text is
// a number of moderate size, finite.

#include "FuzzInput.h"
#include "core/Errors.h"
#include "dialogs/NumericText.h"
#include "digitizing/CalibrationMath.h"
#include "results/Area.h"
#include "results/CsvFile.h"

#include <QStringList>

#include <cmath>
#include <optional>

using namespace kuvaro;

namespace {

constexpr qsizetype MaxPoints = 500;

void checkFile(const QList<CsvPoint>& points, bool captured)
{
    const QStringList lines = buildResultLines(points);
    if (lines.size() != points.size() + 7)
        fuzz::broken("line count", QString::number(lines.size()));
    for (qsizetype i = 0; i < points.size(); ++i) {
        const CsvPoint& p = points[i];
        if (!lines[5 + i].startsWith(p.nr.left(10) + u';' + p.x + u';' + p.y + u';'))
            fuzz::broken("point line", lines[5 + i]);
    }
    const QByteArray bytes = encodeResultFile(lines);
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        fuzz::broken("no byte order mark");
    if (QString::fromUtf8(bytes.mid(3)) != lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"))
        fuzz::broken("file is not the lines with CR LF");
    if (captured) {
        const QByteArray lower = bytes.toLower();
        if (lower.contains("nan") || lower.contains("inf"))
            fuzz::broken("NaN or infinity in the file", QString::fromUtf8(bytes));
    }
}

void checkArea(const QList<CsvPoint>& points, bool captured)
{
    if (points.size() < 2)
        return;
    QList<XYText> texts;
    bool moderate = true;
    for (const CsvPoint& p : points) {
        texts.append({p.x, p.y});
        for (const QString& t : {p.x, p.y}) {
            const auto v = parseCommaNumber(t);
            moderate = moderate && v && std::abs(*v) <= 1e100;
        }
    }
    double area = 0.0;
    try {
        area = trapezoidArea(texts);
    } catch (const KuvaroError& e) {
        if (captured)
            fuzz::broken("area refused the list texts", e.message());
        // Texts that are no number, or a sum beyond the range of numbers (only from huge values).
        const bool beyond = e.message() == QStringLiteral("Die Fläche übersteigt den darstellbaren Zahlenbereich");
        if (!e.message().endsWith(u"' ist kein gültiger Gleitkommawert") && !(beyond && !moderate))
            fuzz::broken("area refusal message", e.message());
        return;
    }
    if ((captured || moderate) && !std::isfinite(area))
        fuzz::broken("area not finite", QString::number(area));
    if (std::isfinite(area)) {
        const QString message = areaMessage(area).toLower();
        if (message.contains(u"nan") || message.contains(u"inf"))
            fuzz::broken("area message", message);
    }
}

// Points captured with a calibration the program accepts; nothing when the
// entries or the positions give no usable factors.
std::optional<QList<CsvPoint>> capturedPoints(fuzz::Input& in)
{
    const int xo = in.s16(), yo = in.s16(), x1 = in.s16(), y1 = in.s16();
    const QString xEntry = in.line(), yEntry = in.line();
    if (!IsNumericText(xEntry) || !IsNumericText(yEntry))
        return std::nullopt;
    const QString xdiff = acceptedDiffText(xEntry), ydiff = acceptedDiffText(yEntry);
    if (xdiff.isEmpty() || ydiff.isEmpty())
        return std::nullopt;
    const FactorComputation f = computeFactors(xo, yo, x1, y1, xdiff, ydiff);
    const Calibration c{xo, yo, f.xfakt, f.yfakt};
    if (f.outcome != FactorComputation::Done || !c.valid())
        return std::nullopt;
    QList<CsvPoint> points;
    while (!in.atEnd() && points.size() < MaxPoints) {
        const int x = in.s16(), y = in.s16();
        points.append({QString::number(points.size() + 1), formatReadout(c.diagramX(x)), formatReadout(c.diagramY(y))});
    }
    return points;
}

QList<CsvPoint> textPoints(fuzz::Input& in)
{
    QList<CsvPoint> points;
    while (!in.atEnd() && points.size() < MaxPoints) {
        CsvPoint p;
        p.nr = in.line();
        p.x = in.line();
        p.y = in.line();
        points.append(p);
    }
    return points;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const bool captured = in.byte() % 2 == 0;
    QList<CsvPoint> points;
    if (captured) {
        const auto got = capturedPoints(in);
        if (!got)
            return 0;
        points = *got;
    } else {
        points = textPoints(in);
    }
    if (points.isEmpty())
        return 0;
    checkFile(points, captured);
    checkArea(points, captured);
    return 0;
}
