// The full reset of the digitizing state and the "Reset all" button.

#include "app/Main.h"
#include "view/PictureView.h"
#include "view/TImage.h"

#include <QLabel>

using namespace kuvaro;

void TMainForm::ResetDigitizing()
{
    Xo = X1 = Yo = Y1 = -1;
    CalibStep = 0;
    PointCount = 0;
    FactorsValid = false;
    ClearPointList();
    for (QLabel* l : {XoLabel, YoLabel, X1Label, Y1Label})
        setLabelColor(l, clRestingLabel);
    for (QLabel* l : {XoLabel, YoLabel, X1Label, Y1Label, XdiffLabel, YdiffLabel, XfaktLabel, YfaktLabel, xyAktLabel})
        l->clear();
    RestoreWorkingBitmap();
    setLabelColor(LinienFarbeLabel, clBlack);
}

void TMainForm::ResetAllesSBtnClick()
{
    ResetDigitizing();
    if (!PictureEmpty())
        Label4->setText(QStringLiteral("  Erfasse mit rechtem Mausklick den Nullpunkt"));
}
