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
    // On a high-density screen the surface has the screen's pixels: the
    // stretched picture pixels keep their true proportions, the crosshair is sharp.
    const qreal ratio = zoomedImage->devicePixelRatioF();
    const int side = qRound(MagnifierSize * ratio);
    if (zoomedImage->Picture.width() != side) {
        zoomedImage->Picture = QImage(side, side, QImage::Format_RGB32);
        ZoomCanvas.setTarget(&zoomedImage->Picture);
        ZoomCanvas.PenWidth = qRound(3 * ratio);
    }
    stretchIntoMagnifier(Image1->Picture, magnifierSourceRect(CursorIx, CursorIy), zoomedImage->Picture);
    const int strokes[4][4] = {{91, 100, 97, 100}, {103, 100, 109, 100}, {100, 91, 100, 97}, {100, 103, 100, 109}};
    for (const auto& s : strokes) {
        ZoomCanvas.MoveTo(qRound(s[0] * ratio), qRound(s[1] * ratio));
        ZoomCanvas.LineTo(qRound(s[2] * ratio), qRound(s[3] * ratio));
    }
    zoomedImage->update();
}
