#pragma once
// The main window: toolbar, prompt line, calibration table, magnifier, point
// list, read-outs and the picture view. Its handlers are spread over the
// subsystem folders by concern (view/, digitizing/, results/, app/Closing.cpp).

#include "app/Controls.h"
#include "digitizing/PointRow.h"
#include "view/Canvas.h"

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
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The dialogs are created after the main window (they copy its title); start-up wires them here.
    void attachDialogs(TInputMessageForm* input, TLizForm* liz, TZeigeNachrichtForm* message);
    TInputMessageForm* InputMessageForm = nullptr;
    TLizForm* LizForm = nullptr;
    TZeigeNachrichtForm* ZeigeNachrichtForm = nullptr;

    // ---------------------------------------------------------------- controls
    QFrame* Panel4 = nullptr;
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

    // Created on first use.
    QFileDialog* OpenDialog1 = nullptr;
    QFileDialog* SaveDialog1 = nullptr;
    QColorDialog* ColorDialog1 = nullptr;

    // ------------------------------------------------------ title and stamp
    QString TitleVersion;
    QString TitleText;
    QString BuildStamp;

    // ------------------------------------------------------- digitizing state
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

    // View units per picture pixel, set by each successful picture load.
    double DisplayScale = 1.0;
    int ViewToPixel(int v) const;

    // Canvases of the working bitmap (Image1) and of the magnifier surface (zoomedImage).
    kuvaro::TCanvas Canvas;
    kuvaro::TCanvas ZoomCanvas;

    QStringList ResultLines;
    int MessageAnswer = 0;

    // -------------------------------------------------------------- handlers
    void DateiOeffnenSBnClick();
    void ResetAllesSBtnClick();
    void ResetDigiKoordSBnClick();
    void BackStepSBtnClick();
    void BerechneSBtnClick();
    void ErgSpeichernSBtnClick();
    void InfoSBtnClick();
    void CloseSBtnClick();
    void LinienFarbeLabelMouseDown(Qt::MouseButton button, Qt::MouseButtons held);
    void Image1MouseDown(Qt::MouseButton button, Qt::MouseButtons held, int x, int y);
    void Image1MouseMove(Qt::MouseButtons held, int x, int y);

    // ------------------------------------------------------------ operations
    void ResetDigitizing();
    // The working bitmap becomes a copy of the pristine bitmap again; every mark disappears.
    void RestoreWorkingBitmap();
    // Takes a picture that has been read: caption, fit, view size, working copy, prompt.
    void SetPicture(const QImage& picture, const QString& path);
    bool PictureEmpty() const;
    void UpdateMagnifier(int x, int y);
    void UpdateDiagramReadout(int x, int y);
    // The right-button half of a press; false when the calibration was aborted in its dialog.
    bool CalibrationPress(int x, int y);
    void ComputeFactors();
    void CapturePoint(int x, int y);
    void DrawCalibrationCross(int x, int y);
    void RedrawCalibrationCrosses();
    void DrawPolylinePoint(int ix, int iy, kuvaro::TColor colour, bool first);
    void RedrawPolyline();

    // Point list access.
    int PointRowCount() const;
    QString PointCell(int row, kuvaro::PointColumn column) const;
    void AppendPointRow(const kuvaro::PointRow& row);
    void RemoveLastPointRow();
    void ClearPointList();

    // The geometry the constructor chose from the screen (outer size includes the frame).
    QSize OuterSize() const { return m_outerSize; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void buildControls();
    void applyScreenSize();
    void fitOuterSize();
    // Repaints the part of the working bitmap that the canvas has painted since the last call.
    void flushCanvas();

    QString m_lastSavePath;
    QSize m_outerSize;
    QSize m_appliedFrame{-1, -1};
    bool m_centred = false;
};
