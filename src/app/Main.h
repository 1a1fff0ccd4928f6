#pragma once
// The main window: toolbar, prompt line, calibration table, magnifier, point
// list, read-outs and the picture view.
//
// One class, written in one file per concern, each named after it and kept
// in the folder of its subsystem; the members below are grouped under the
// same headings:
//   app/Main.cpp                        construction, layout, sizing
//   app/Main_Closing.cpp                closing with the save question
//   view/Main_PictureLoading.cpp        opening a picture and fitting it into the view
//   view/Main_Overlay.cpp               crosses and polyline drawn into the working bitmap
//   view/Main_CursorReadout.cpp         position read-out and magnifier
//   digitizing/Main_DigitizingState.cpp digitizing state, point list, full reset
//   digitizing/Main_Calibration.cpp     calibration presses, factors, diagram read-out
//   digitizing/Main_PointCapture.cpp    capturing and taking back points, line colour
//   results/Main_Area.cpp               "Fläche berechnen"
//   results/Main_ResultFile.cpp         "Ergebnis speichern"
//   dialogs/Main_Information.cpp        the information dialog
// The handlers read the controls, call the pure code of kuvaro_core and
// write the controls back.

#include "app/Controls.h"
#include "digitizing/CalibrationMath.h"
#include "digitizing/Guidance.h"
#include "digitizing/PointRow.h"
#include "view/Canvas.h"
#include "view/Downscale.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>

class QColorDialog;
class QFileDialog;
class QFrame;
class QLabel;
class QStandardItemModel;
class QToolButton;
class QTreeView;
class TImage;
class TInputMessageForm;
class TLizForm;
class TPictureView;
class TZeigeNachrichtForm;

class TMainForm : public QWidget
{
    Q_OBJECT
public:
    // ============================================== construction and layout
    // app/Main.cpp

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The dialogs are created after the main window (they copy its title); start-up wires them here.
    void attachDialogs(TInputMessageForm* input, TLizForm* liz, TZeigeNachrichtForm* message);
    TInputMessageForm* InputMessageForm = nullptr;
    TLizForm* LizForm = nullptr;
    TZeigeNachrichtForm* ZeigeNachrichtForm = nullptr;

    QFrame* Panel4 = nullptr; // toolbar
    QLabel* Image3 = nullptr;
    QToolButton* DateiOeffnenSBn = nullptr;
    QToolButton* ResetAllesSBtn = nullptr;
    QToolButton* ResetDigiKoordSBn = nullptr;
    QToolButton* BackStepSBtn = nullptr;
    QToolButton* BerechneSBtn = nullptr;
    QToolButton* ErgSpeichernSBtn = nullptr;
    QToolButton* InfoSBtn = nullptr;
    QToolButton* CloseSBtn = nullptr;
    TImage* Image2 = nullptr; // pristine bitmap, invisible

    QLabel* Label4 = nullptr; // prompt line
    QLabel* Label10 = nullptr;
    QLabel* xyLabel = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* xyAktLabel = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* LinienFarbeLabel = nullptr;

    QFrame* Panel3 = nullptr; // calibration table
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* XoLabel = nullptr;
    QLabel* YoLabel = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* X1Label = nullptr;
    QLabel* Y1Label = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* XdiffLabel = nullptr;
    QLabel* YdiffLabel = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* XfaktLabel = nullptr;
    QLabel* YfaktLabel = nullptr;

    QFrame* Panel2 = nullptr; // magnifier frame "Lupe"
    TImage* zoomedImage = nullptr;

    QTreeView* ListView1 = nullptr;
    QStandardItemModel* ListModel = nullptr;

    QFrame* Panel1 = nullptr; // picture view frame
    TPictureView* Image1 = nullptr;

    QString TitleVersion;
    QString TitleText;
    QString BuildStamp;

    // The geometry the constructor chose from the screen (outer size includes the frame).
    QSize OuterSize() const { return m_outerSize; }

    // ======================================================== closing
    // app/Main_Closing.cpp

    void CloseSBtnClick();
    // Before points can be lost (closing, a new picture): asks whether to save
    // unsaved points; true when the caller may go on.
    bool OfferToSavePoints();

    // ===================================== opening a picture, fit to view
    // view/Main_PictureLoading.cpp

    void DateiOeffnenSBnClick();
    // A file chosen in the dialog or dropped onto the window.
    void OpenPictureFile(const QString& path);
    // Reads the file, with a cancellable progress dialog when it takes long; null when cancelled.
    QImage ReadWithProgress(const QString& path, kuvaro::PictureWatch* watch = nullptr);
    // Ctrl+V, Shift+Insert: the clipboard's picture.
    void PastePicture();
    // Takes a picture that has been read: caption, fit, view size, working
    // copy, prompt. The display copy is taken from `display` when it was
    // built for this fit (DisplayBuilder), else built here.
    void SetPicture(const QImage& picture, const QString& path, const kuvaro::PreparedDisplay& display = {});
    // Builds the display copy of a picture while it is read, for the frame as it is now.
    kuvaro::DisplayBuilder MakeDisplayBuilder() const;
    // The room for the view inside the frame Panel1.
    QSize FrameInner() const;
    // The working bitmap becomes a copy of the pristine bitmap again; every mark disappears.
    void RestoreWorkingBitmap();
    bool PictureEmpty() const;
    // View units per picture pixel, set by each successful picture load.
    double DisplayScale = 1.0;
    int ViewToPixel(int v) const;
    QFileDialog* OpenDialog1 = nullptr; // made anew for each opening

    // ===================================================== overlay drawing
    // view/Main_Overlay.cpp

    void DrawCalibrationCross(int x, int y);
    void RedrawCalibrationCrosses();
    void DrawPolylinePoint(int ix, int iy, kuvaro::TColor colour, bool first);
    void RedrawPolyline();

    // ================================== cursor read-out and magnifier
    // view/Main_CursorReadout.cpp

    void Image1MouseMove(Qt::MouseButtons held, int x, int y);
    void UpdateMagnifier(int x, int y);
    // The magnifier surface's canvas; the working bitmap's is Image1->Canvas.
    kuvaro::TCanvas ZoomCanvas;

    // ======================================== digitizing state, point list
    // digitizing/Main_DigitizingState.cpp

    int CalibStep = 0;
    int PointCount = 0;
    int Xo = -1, Yo = -1, X1 = -1, Y1 = -1; // view units
    double Xdiff = 0.0, Ydiff = 0.0;
    // View units per diagram unit, the exact quotients of the last factor computation.
    double Xfakt = 0.0, Yfakt = 0.0;
    // True only while Xfakt and Yfakt belong to the current calibration and are both non-zero.
    bool FactorsValid = false;
    int CursorIx = 0, CursorIy = 0; // picture pixels
    int MarkerIx = 0, MarkerIy = 0; // picture pixels
    double xAkt = 0.0, yAkt = 0.0;
    QString xAktText, yAktText, xyAktText;
    kuvaro::TColor LineColor = kuvaro::clBlack;
    int PointsUnsaved = 0;

    void ResetAllesSBtnClick();
    void ResetDigitizing();

    int PointRowCount() const;
    QString PointCell(int row, kuvaro::PointColumn column) const;
    void AppendPointRow(const kuvaro::PointRow& row);
    void RemoveLastPointRow();
    void ClearPointList();

    // ================================ calibration and diagram read-out
    // digitizing/Main_Calibration.cpp

    void Image1MouseDown(Qt::MouseButton button, Qt::MouseButtons held, int x, int y);
    // The right-button half of a press; false when the calibration was aborted in its dialog.
    bool CalibrationPress(int x, int y);
    // The input dialog until it gives usable differences, is closed without them
    // or aborts the calibration (false); focus names the edit to correct (1 X, 2 Y).
    bool AskDifferences(int focus = 0);
    // 0 when the factors are set; else the faulty difference (1 X, 2 Y), its message shown.
    int ComputeFactors();
    // The state that decides the prompt and what the presses do.
    kuvaro::DigitizingSituation Situation() const;
    void ShowPrompt();
    void UpdateDiagramReadout(int x, int y);
    // The conversion that the factors give, for the pure read-out code.
    kuvaro::Calibration CurrentCalibration() const;

    // ============================================= capturing points
    // digitizing/Main_PointCapture.cpp

    void CapturePoint(int x, int y);
    void BackStepSBtnClick();
    void ResetDigiKoordSBnClick();
    void LinienFarbeLabelMouseDown(Qt::MouseButton button, Qt::MouseButtons held);
    QColorDialog* ColorDialog1 = nullptr; // made on first use

    // ======================================================= results
    // results/Main_Area.cpp, results/Main_ResultFile.cpp

    void BerechneSBtnClick();
    void ErgSpeichernSBtnClick();
    enum class SaveOutcome { Saved, Cancelled, Empty };
    // The save dialog and the file; a failure to write throws.
    SaveOutcome SavePoints();
    QStringList ResultLines;
    QFileDialog* SaveDialog1 = nullptr; // made on first use

    // ==================================================== dialogs
    // dialogs/Main_Information.cpp

    void InfoSBtnClick();
    // The answer cell of the message dialog.
    int MessageAnswer = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls();
    void applyScreenSize();
    void fitOuterSize();

    QString m_lastSavePath;
    QSize m_outerSize;
    QSize m_appliedFrame{-1, -1};
};
