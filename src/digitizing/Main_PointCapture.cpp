// Capturing points with the left button, taking them back, and the line colour.

#include "app/Main.h"
#include "dialogs/Zeigenachricht.h"

#include <QColorDialog>
#include <QLabel>
#include <QStandardItemModel>
#include <QTreeView>

using namespace kuvaro;

void TMainForm::CapturePoint(int x, int y)
{
    const LeftPress action = guidance(Situation()).left;
    if (action != LeftPress::Capture) {
        if (action != LeftPress::Ignore)
            ZeigeNachrichtForm->ShowMessageText(leftPressRefusal(action));
        return;
    }
    // The values of the press position itself, also when the mouse did not move before the click.
    UpdateDiagramReadout(x, y);
    CursorIx = ViewToPixel(x);
    CursorIy = ViewToPixel(y);
    LineColor = labelColor(LinienFarbeLabel);
    DrawPolylinePoint(CursorIx, CursorIy, LineColor, PointCount == 0);
    ++PointCount;
    AppendPointRow({QString::number(PointCount), xAktText, yAktText, QString::number(CursorIx),
                    QString::number(CursorIy), QString::number(LineColor)});
    const QModelIndex added = ListModel->index(ListModel->rowCount() - 1, ColNr);
    ListView1->scrollTo(added);
    ListView1->setCurrentIndex(added);
    PointsUnsaved = 1;
}

void TMainForm::BackStepSBtnClick()
{
    RedrawCalibrationCrosses();
    const int n = PointRowCount();
    if (n == 1) {
        RemoveLastPointRow();
        PointCount = 0;
    } else if (n >= 2) {
        // With two rows only the last goes too: the first stays the start of the line.
        RemoveLastPointRow();
    }
    RedrawPolyline();
}

void TMainForm::ResetDigiKoordSBnClick()
{
    PointCount = 0;
    ClearPointList();
    RedrawCalibrationCrosses();
    if (FactorsValid)
        Label4->setText(QStringLiteral("  Digitalisiere jetzt mit der linken Mausklick die X,Y-Werte"));
    else if (!PictureEmpty())
        ShowPrompt();
}

void TMainForm::LinienFarbeLabelMouseDown(Qt::MouseButton /*button*/, Qt::MouseButtons held)
{
    if (!(held & Qt::LeftButton))
        return;
    if (!ColorDialog1) {
        ColorDialog1 = new QColorDialog(this);
        ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));
        ColorDialog1->setOption(QColorDialog::DontUseNativeDialog);
    }
    ColorDialog1->setCurrentColor(toQColor(labelColor(LinienFarbeLabel)));
    if (ColorDialog1->exec() == QDialog::Accepted)
        setLabelColor(LinienFarbeLabel, fromQColor(ColorDialog1->selectedColor()));
}
