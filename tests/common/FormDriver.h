#pragma once
// Drives the main window as a user would: a generated picture, presses and
// moves over the picture view, the calibration, the colour swatch and the
// buttons, with the modal dialogs that the handlers open answered by the
// driver's own DialogScript. Messages and error boxes beyond the script are a
// normal outcome: they are answered "OK" and recorded like every dialog, so a
// test can state exactly which ones appeared. Any other dialog beyond the
// script is unexpected.
//
// Each driver answers only the dialogs of its own windows (and the error box),
// so two drivers can live side by side.

#include "app/Main.h"
#include "app/Startup.h"
#include "common/DialogScript.h"
#include "dialogs/Inputmessage.h"
#include "view/PictureView.h"
#include "view/TImage.h"

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace kuvaro::test {

class FormDriver
{
public:
    // The offscreen screen is small; the frame gets the size of the one on a
    // 1920 x 1080 screen, so a 739 x 300 picture is shown at scale 2.
    explicit FormDriver(QSize panel = QSize(1490, 807));
    ~FormDriver();

    Forms forms;
    TMainForm* form = nullptr;
    TInputMessageForm* input = nullptr;
    DialogScript dialogs;

    // An empty folder for the files the test opens and saves, and what it holds.
    QTemporaryDir folder;
    QStringList files() const;

    // Each time the input dialog came up: where it stood, the main window's
    // prompt line and what the two edits showed.
    QList<QPoint> inputPositions;
    QStringList inputPrompts;
    QList<QStringList> entriesShown;

    // Shows a generated picture as if it had been opened.
    void load(QSize size = QSize(739, 300));
    QImage picture;

    // Real presses and releases over the picture view.
    void click(Qt::MouseButton button, int x, int y);
    void press(Qt::MouseButton button, int x, int y);
    void release(Qt::MouseButton button, int x, int y);
    void right(int x, int y) { click(Qt::RightButton, x, y); }
    void left(int x, int y) { click(Qt::LeftButton, x, y); }
    // A real mouse movement over the picture view.
    void move(int x, int y, Qt::MouseButtons held = Qt::NoButton);

    // The three calibration presses; the input dialog gets the two entries.
    void calibrate(const QString& dx, const QString& dy, QPoint origin = {100, 400}, QPoint xAxis = {700, 380},
                   QPoint yAxis = {120, 50});

    // A left press on the colour swatch; the colour dialog gets the colour (invalid: cancelled).
    void chooseColour(const QColor& colour);

    // A fresh driver for a test function whose window must be on the screen
    // (and may be closed without ending the test program), with its folder
    // ready; finish() ends it and fails the test when a dialog came up that it
    // did not expect.
    static void start(std::unique_ptr<FormDriver>& driver);
    static void finish(std::unique_ptr<FormDriver>& driver);

private:
    bool ours(QWidget* w) const;
    void noteInput(QWidget* w);

    Qt::MouseButtons m_held;
};

} // namespace kuvaro::test
