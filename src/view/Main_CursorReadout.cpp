// Mouse moves over the picture: the position read-out and the magnifier.

#include "app/Main.h"
#include "view/Magnifier.h"
#include "view/PictureView.h"
#include "view/TImage.h"

#include <QLabel>

using namespace kuvaro;

void TMainForm::Image1MouseMove(Qt::MouseButtons /*held*/, int x, int y)
{
    if (PictureEmpty())
        return;
    CursorIx = ViewToPixel(x);
    CursorIy = ViewToPixel(y);
    // View units, although the caption says "Pixel".
    xyLabel->setText(QString::number(x) + QStringLiteral(" | ") + QString::number(y));
    UpdateMagnifier(x, y);
    UpdateDiagramReadout(x, y);
}

void TMainForm::UpdateMagnifier(int x, int y)
{
    CursorIx = ViewToPixel(x);
    CursorIy = ViewToPixel(y);
    stretchIntoMagnifier(Image1->Picture, magnifierSourceRect(CursorIx, CursorIy), zoomedImage->Picture);
    const int strokes[4][4] = {{91, 100, 97, 100}, {103, 100, 109, 100}, {100, 91, 100, 97}, {100, 103, 100, 109}};
    for (const auto& s : strokes) {
        ZoomCanvas.MoveTo(s[0], s[1]);
        ZoomCanvas.LineTo(s[2], s[3]);
    }
    zoomedImage->update();
}
