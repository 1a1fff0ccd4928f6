// The number reading of the calibration: the two difference entries go the
// way the calibration dialog and the factor computation take them, and any
// text goes to the reading of list texts.
//
// Input: four 16-bit view positions (origin x, y, then the X-axis point's x
// and the Y-axis point's y), the X entry and the Y entry as lines, a line read
// as a list text, then 16-bit view positions for the diagram read-out.
//
// Invariants: no crash; a text is read as a finite number or refused with the
// program's message; the factors of a computation that succeeded are finite;
// with valid factors every read-out is finite and its list text reads back.

#include "FuzzInput.h"
#include "core/Errors.h"
#include "dialogs/NumericText.h"
#include "digitizing/CalibrationMath.h"

#include <cmath>
#include <optional>

using namespace kuvaro;

namespace {

void checkListTextReading(const QString& text)
{
    const std::optional<double> value = parseCommaNumber(text);
    if (value && !std::isfinite(*value))
        fuzz::broken("text read as a number that is not finite", text);
    try {
        const double read = readCommaNumber(text);
        if (!value || read != *value)
            fuzz::broken("the two readings disagree", text);
    } catch (const KuvaroError& e) {
        if (value)
            fuzz::broken("a number refused", text);
        if (e.message() != notANumberText(text))
            fuzz::broken("refusal message", e.message());
    }
}

// What the dialog keeps of an entry: the accepted text, or nothing when its
// check refuses it (the held text then stays empty, and no factor is computed).
QString heldText(const QString& entry) { return IsNumericText(entry) ? acceptedDiffText(entry) : QString(); }

void checkLabel(double factor)
{
    const QString label = factorLabelText(factor, u',').toLower();
    if (label.contains(u"nan") || label.contains(u"inf"))
        fuzz::broken("factor label", label);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const int xo = in.s16(), yo = in.s16(), x1 = in.s16(), y1 = in.s16();
    const QString xEntry = in.line();
    const QString yEntry = in.line();
    checkListTextReading(in.line());
    checkListTextReading(xEntry);
    checkListTextReading(yEntry);

    const QString xdiffText = heldText(xEntry), ydiffText = heldText(yEntry);
    if (xdiffText.isEmpty() || ydiffText.isEmpty())
        return 0;
    const FactorComputation f = computeFactors(xo, yo, x1, y1, xdiffText, ydiffText);
    if (f.outcome != FactorComputation::Done)
        return 0;
    if (!std::isfinite(f.xdiff) || !std::isfinite(f.ydiff) || f.xdiff == 0.0 || f.ydiff == 0.0)
        fuzz::broken("accepted difference", xdiffText + u' ' + ydiffText);
    if (!std::isfinite(f.xfakt) || !std::isfinite(f.yfakt))
        fuzz::broken("accepted factor", xdiffText + u' ' + ydiffText);
    checkLabel(f.xfakt);
    checkLabel(f.yfakt);

    const Calibration c{xo, yo, f.xfakt, f.yfakt};
    if (!c.valid())
        return 0;
    while (!in.atEnd()) {
        const int x = in.s16(), y = in.s16();
        for (const double v : {c.diagramX(x), c.diagramY(y)}) {
            if (!std::isfinite(v))
                fuzz::broken("read-out", QString::number(v));
            if (!parseCommaNumber(formatReadout(v)))
                fuzz::broken("list text does not read back", formatReadout(v));
        }
    }
    return 0;
}
