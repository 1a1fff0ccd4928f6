// Calibration crosses and the polyline, drawn into the working bitmap.

#include "app/Main.h"
#include "view/PictureView.h"

#include <QLabel>

using namespace kuvaro;

void TMainForm::DrawCalibrationCross(int x, int y)
{
    Image1->Canvas.PenWidth = 1;
    MarkerIx = ViewToPixel(x);
    MarkerIy = ViewToPixel(y);
    const int cx = MarkerIx, cy = MarkerIy;
    // Four arms of three pixels around the centre, which stays unpainted so the
    // marked pixel of the picture remains visible.
    Image1->Canvas.MoveTo(cx - 3, cy);
    Image1->Canvas.LineTo(cx, cy);
    Image1->Canvas.MoveTo(cx + 1, cy);
    Image1->Canvas.LineTo(cx + 4, cy);
    Image1->Canvas.MoveTo(cx, cy - 3);
    Image1->Canvas.LineTo(cx, cy);
    Image1->Canvas.MoveTo(cx, cy + 1);
    Image1->Canvas.LineTo(cx, cy + 4);
    Image1->addMark({ViewMark::Cross, {cx, cy}, Image1->Canvas.PenColor});
}

void TMainForm::RedrawCalibrationCrosses()
{
    RestoreWorkingBitmap();
    const QString texts[] = {XoLabel->text(), YoLabel->text(), X1Label->text(), Y1Label->text()};
    for (const QString& t : texts) {
        if (t.isEmpty())
            return;
    }
    const int xo = texts[0].toInt(), yo = texts[1].toInt(), x1 = texts[2].toInt(), y1 = texts[3].toInt();
    // Only X1 and Y1 are kept, so the axis crosses stand on the axes through the origin.
    Image1->Canvas.PenColor = clGreen;
    DrawCalibrationCross(xo, yo);
    Image1->Canvas.PenColor = clMaroon;
    DrawCalibrationCross(x1, yo);
    Image1->Canvas.PenColor = clBlue;
    DrawCalibrationCross(xo, y1);
    Image1->Canvas.PenColor = clBlack;
}

void TMainForm::DrawPolylinePoint(int ix, int iy, TColor colour, bool first)
{
    Image1->addMark({ViewMark::Dot, {ix, iy}, colour});
    Image1->Canvas.PenColor = colour;
    if (first) {
        // A single dot marks the start; the current position stays on it.
        Image1->Canvas.MoveTo(ix, iy);
        Image1->Canvas.LineTo(ix + 1, iy);
        Image1->Canvas.MoveTo(ix, iy);
    } else {
        Image1->Canvas.LineTo(ix, iy);
    }
    Image1->Canvas.PenColor = clBlack;
}

void TMainForm::RedrawPolyline()
{
    const int rows = PointRowCount();
    for (int i = 0; i < rows; ++i) {
        CursorIx = PointCell(i, ColIx).toInt();
        CursorIy = PointCell(i, ColIy).toInt();
        // The first row is the start dot, which the first segment paints over;
        // each segment is drawn in the colour stored in the row at its end.
        const TColor colour = PointCell(i, ColLineCol).toUInt();
        if (i > 0)
            LineColor = colour;
        DrawPolylinePoint(CursorIx, CursorIy, colour, i == 0);
    }
}
