#include "digitizing/Guidance.h"

namespace kuvaro {

Guidance guidance(const DigitizingSituation& s)
{
    if (!s.picture)
        return {QStringLiteral("  Öffne ein X,Y-Diagramm: Datei, Ablegen oder Strg+V"), RightPress::Ignore,
                LeftPress::Ignore};
    switch (s.calibStep) {
    case 0:
        return {QStringLiteral("  Erfasse mit rechtem Mausklick den Nullpunkt"), RightPress::TakeOrigin,
                LeftPress::CalibrateFirst};
    case 1:
        return {QStringLiteral("  Erfasse mit rechtem Mausklick einen entfernten Punkt auf der X-Achse"),
                RightPress::TakeX1, LeftPress::CalibrateFirst};
    case 2:
        return {QStringLiteral("  Erfasse mit rechtem Mausklick einen entfernten Punkt auf der Y-Achse"),
                RightPress::TakeY1, LeftPress::CalibrateFirst};
    default:
        break;
    }
    if (!s.factorsValid)
        return {QStringLiteral("  Öffne mit rechtem Mausklick die Eingabe der X- und Y-Differenz"),
                RightPress::AskDifferences, LeftPress::DifferencesFirst};
    return {QStringLiteral("  Digitalisiere jetzt mit linkem Mausklick die Punkte im Diagramm"), RightPress::Recalibrate,
            LeftPress::Capture};
}

QString leftPressRefusal(LeftPress action)
{
    switch (action) {
    case LeftPress::CalibrateFirst:
        return QStringLiteral("Erfasse zunächst Nullpunkt, x1 und y1 mit rechtem Mausklick");
    case LeftPress::DifferencesFirst:
        return QStringLiteral("Gib zunächst die X- und Y-Differenz ein: rechter Mausklick öffnet die Eingabe");
    case LeftPress::Ignore:
    case LeftPress::Capture:
        break;
    }
    return {};
}

} // namespace kuvaro
