// The three calibration presses with the right button, the factors and the
// live read-out in diagram values.

#include "app/Main.h"
#include "core/Errors.h"
#include "digitizing/CalibrationMath.h"
#include "dialogs/Inputmessage.h"
#include "dialogs/Zeigenachricht.h"
#include "view/PictureView.h"

#include <QLabel>
#include <QLocale>

using namespace kuvaro;

namespace {

void markLabel(QLabel* label, TColor background, int value)
{
    setLabelFontColor(label, clWhite);
    setLabelColor(label, background);
    label->setText(QString::number(value));
}

} // namespace

void TMainForm::Image1MouseDown(Qt::MouseButton /*button*/, Qt::MouseButtons held, int x, int y)
{
    Image1->Canvas.PenWidth = 1;
    if (PictureEmpty())
        return;
    // The set of buttons held decides, not the button that went down.
    if (held & Qt::RightButton) {
        if (!CalibrationPress(x, y))
            return;
    }
    if (held & Qt::LeftButton)
        CapturePoint(x, y);
}

bool TMainForm::CalibrationPress(int x, int y)
{
    MarkerIx = ViewToPixel(x);
    MarkerIy = ViewToPixel(y);
    switch (CalibStep) {
    case 0:
        Xo = x;
        Yo = y;
        Image1->Canvas.PenColor = clGreen;
        DrawCalibrationCross(x, y);
        markLabel(XoLabel, clGreen, Xo);
        markLabel(YoLabel, clGreen, Yo);
        Label4->setText(QStringLiteral("  Erfasse mit rechtem Mausklick einen entfernten Punkt auf der X-Achse"));
        UpdateMagnifier(x, y);
        break;
    case 1:
        X1 = x;
        Image1->Canvas.PenColor = clMaroon;
        DrawCalibrationCross(x, y);
        markLabel(X1Label, clMaroon, X1);
        Label4->setText(QStringLiteral("  Erfasse mit rechtem Mausklick einen entfernten Punkt auf der Y-Achse"));
        UpdateMagnifier(x, y);
        break;
    case 2:
        Y1 = y;
        Image1->Canvas.PenColor = clBlue;
        DrawCalibrationCross(x, y);
        markLabel(Y1Label, clBlue, Y1);
        Label4->clear();
        UpdateMagnifier(x, y);
        break;
    default:
        break;
    }
    ++CalibStep;

    if (CalibStep >= 3 && XdiffLabel->text().isEmpty() && YdiffLabel->text().isEmpty()) {
        Label4->setText(QStringLiteral("  Gib zur Kalibrierung die X- und Y-Differenz zum Nullpunkt ein !"));
        const QRect outer = frameGeometry();
        InputMessageForm->move(outer.left() + Label4->x() + Label4->width() / 2, outer.top() + Label4->y() + 100);
        InputMessageForm->XdiffText = XdiffLabel->text();
        InputMessageForm->YdiffText = YdiffLabel->text();
        InputMessageForm->exec();
        setLabelColor(XdiffLabel, clRestingLabel);
        setLabelColor(YdiffLabel, clRestingLabel);
        // The dialog's abort ran "Reset all" meanwhile: this press is over.
        if (CalibStep == 0)
            return false;
        XdiffLabel->setText(InputMessageForm->XdiffText);
        YdiffLabel->setText(InputMessageForm->YdiffText);
    }

    if (CalibStep >= 3 && !XdiffLabel->text().isEmpty() && !YdiffLabel->text().isEmpty())
        ComputeFactors();
    return true;
}

void TMainForm::ComputeFactors()
{
    // Factors of an earlier calibration are never used, also not after a failed reading.
    FactorsValid = false;
    const FactorComputation f = computeFactors(Xo, Yo, X1, Y1, XdiffLabel->text(), YdiffLabel->text());
    switch (f.outcome) {
    case FactorComputation::XNotANumber:
        throw KuvaroError(notANumberText(XdiffLabel->text()));
    case FactorComputation::YNotANumber:
        throw KuvaroError(notANumberText(YdiffLabel->text()));
    case FactorComputation::ZeroDifference:
        Xdiff = f.xdiff;
        Ydiff = f.ydiff;
        ZeigeNachrichtForm->ShowMessageText(QStringLiteral("Die Kalibrierungsdifferenz darf nicht 0 sein !"));
        return;
    case FactorComputation::Done:
        break;
    }
    Xdiff = f.xdiff;
    Ydiff = f.ydiff;
    // The exact quotients convert; the labels show them rounded to hundredths.
    Xfakt = f.xfakt;
    Yfakt = f.yfakt;
    const QChar separator = QLocale::system().decimalPoint().front();
    XfaktLabel->setText(factorLabelText(Xfakt, separator));
    YfaktLabel->setText(factorLabelText(Yfakt, separator));
    FactorsValid = CurrentCalibration().valid();
    Image1->Canvas.PenColor = clBlack;
    Label4->setText(QStringLiteral("  Digitalisiere jetzt mit linkem Mausklick die Punkte im Diagramm"));
}

Calibration TMainForm::CurrentCalibration() const { return Calibration{Xo, Yo, Xfakt, Yfakt}; }

void TMainForm::UpdateDiagramReadout(int x, int y)
{
    if (CalibStep < 3)
        return;
    if (!FactorsValid) {
        xyAktLabel->clear();
        return;
    }
    const Calibration c = CurrentCalibration();
    xAkt = c.diagramX(x);
    yAkt = c.diagramY(y);
    xAktText = formatReadout(xAkt);
    yAktText = formatReadout(yAkt);
    xyAktText = xAktText + QStringLiteral(" | ") + yAktText + u' ';
    xyAktLabel->setText(xyAktText);
}
