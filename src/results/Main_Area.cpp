// "Fläche berechnen"

#include "app/Main.h"
#include "dialogs/Zeigenachricht.h"
#include "results/Area.h"

using namespace kuvaro;

void TMainForm::BerechneSBtnClick()
{
    const int n = PointRowCount();
    if (n < 2) {
        ZeigeNachrichtForm->ShowMessageText(
            QStringLiteral("Für eine Flächenberechnung sind mind. 2 digitalisierte Punkte erforderlich !"));
        return;
    }
    QList<XYText> points;
    points.reserve(n);
    for (int i = 0; i < n; ++i)
        points.append({PointCell(i, ColX), PointCell(i, ColY)});
    ZeigeNachrichtForm->ShowMessageText(areaMessage(trapezoidArea(points)));
}
