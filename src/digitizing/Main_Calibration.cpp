// The three calibration presses with the right button, the factors and the
// live read-out in diagram values.

#include "app/Main.h"
#include "digitizing/CalibrationMath.h"
#include "digitizing/Guidance.h"
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

DigitizingSituation TMainForm::Situation() const { return {!PictureEmpty(), CalibStep, FactorsValid}; }

void TMainForm::ShowPrompt() { Label4->setText(guidance(Situation()).prompt); }

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
    switch (guidance(Situation()).right) {
    case RightPress::Ignore:
        return true;
    case RightPress::TakeOrigin:
        Xo = x;
        Yo = y;
        Image1->Canvas.PenColor = clGreen;
        DrawCalibrationCross(x, y);
        markLabel(XoLabel, clGreen, Xo);
        markLabel(YoLabel, clGreen, Yo);
        break;
    case RightPress::TakeX1:
        // A far X point straight above or below the origin would give a factor of 0.
        if (x == Xo) {
            ZeigeNachrichtForm->ShowMessageText(
                QStringLiteral("x1 liegt senkrecht über oder unter dem Nullpunkt – erfasse x1 weiter rechts oder links"));
            return true;
        }
        X1 = x;
        Image1->Canvas.PenColor = clMaroon;
        DrawCalibrationCross(x, y);
        markLabel(X1Label, clMaroon, X1);
        break;
    case RightPress::TakeY1:
        if (y == Yo) {
            ZeigeNachrichtForm->ShowMessageText(
                QStringLiteral("y1 liegt auf der Höhe des Nullpunkts – erfasse y1 weiter oben oder unten"));
            return true;
        }
        Y1 = y;
        Image1->Canvas.PenColor = clBlue;
        DrawCalibrationCross(x, y);
        markLabel(Y1Label, clBlue, Y1);
        Label4->clear();
        break;
    case RightPress::AskDifferences:
    case RightPress::Recalibrate:
        break;
    }
    ++CalibStep;
    if (CalibStep <= 2)
        ShowPrompt();
    if (CalibStep <= 3)
        UpdateMagnifier(x, y);
    if (CalibStep < 3)
        return true;
    // Differences already in the labels are used as they stand; the dialog
    // comes when one is missing or unusable.
    int faulty = 0;
    if (!XdiffLabel->text().isEmpty() && !YdiffLabel->text().isEmpty()) {
        faulty = ComputeFactors();
        if (faulty == 0)
            return true;
        (faulty == 1 ? XdiffLabel : YdiffLabel)->clear();
    }
    return AskDifferences(faulty);
}

bool TMainForm::AskDifferences(int focus)
{
    InputMessageForm->XdiffText = XdiffLabel->text();
    InputMessageForm->YdiffText = YdiffLabel->text();
    InputMessageForm->FocusEdit = focus;
    for (;;) {
        Label4->setText(QStringLiteral("  Gib zur Kalibrierung die X- und Y-Differenz zum Nullpunkt ein !"));
        const QRect outer = frameGeometry();
        InputMessageForm->move(outer.left() + Label4->x() + Label4->width() / 2, outer.top() + Label4->y() + 100);
        InputMessageForm->exec();
        setLabelColor(XdiffLabel, clRestingLabel);
        setLabelColor(YdiffLabel, clRestingLabel);
        // The dialog's abort ran "Reset all" meanwhile: this press is over.
        if (CalibStep == 0)
            return false;
        XdiffLabel->setText(InputMessageForm->XdiffText);
        YdiffLabel->setText(InputMessageForm->YdiffText);
        if (XdiffLabel->text().isEmpty() || YdiffLabel->text().isEmpty()) {
            // Closed by the window system: the next right press opens the dialog again.
            FactorsValid = false;
            ShowPrompt();
            return true;
        }
        const int faulty = ComputeFactors();
        if (faulty == 0)
            return true;
        // Straight back to the input, the usable entry kept, the faulty one emptied.
        (faulty == 1 ? InputMessageForm->XdiffText : InputMessageForm->YdiffText).clear();
        InputMessageForm->FocusEdit = faulty;
    }
}

int TMainForm::ComputeFactors()
{
    // Factors of an earlier calibration are never used, also not after a failed reading.
    FactorsValid = false;
    const FactorComputation f = computeFactors(Xo, Yo, X1, Y1, XdiffLabel->text(), YdiffLabel->text());
    Xdiff = f.xdiff;
    Ydiff = f.ydiff;
    switch (f.outcome) {
    case FactorComputation::XNotANumber:
        ZeigeNachrichtForm->ShowMessageText(notANumberText(XdiffLabel->text()));
        return f.faulty;
    case FactorComputation::YNotANumber:
        ZeigeNachrichtForm->ShowMessageText(notANumberText(YdiffLabel->text()));
        return f.faulty;
    case FactorComputation::ZeroDifference:
        ZeigeNachrichtForm->ShowMessageText(QStringLiteral("Die Kalibrierungsdifferenz darf nicht 0 sein !"));
        return f.faulty;
    case FactorComputation::TooSmall:
        ZeigeNachrichtForm->ShowMessageText(QStringLiteral("Die Kalibrierungsdifferenz ist zu klein !"));
        return f.faulty;
    case FactorComputation::Done:
        break;
    }
    // The exact quotients convert; the labels show them rounded to hundredths.
    Xfakt = f.xfakt;
    Yfakt = f.yfakt;
    const QChar separator = QLocale::system().decimalPoint().front();
    XfaktLabel->setText(factorLabelText(Xfakt, separator));
    YfaktLabel->setText(factorLabelText(Yfakt, separator));
    FactorsValid = CurrentCalibration().valid();
    Image1->Canvas.PenColor = clBlack;
    ShowPrompt();
    return 0;
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
