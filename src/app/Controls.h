#pragma once
// The few control properties the windows set and read back: opaque label
// colours, fonts, geometry, and the frame of the fixed dialogs.

#include "core/Colours.h"

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <Qt>

class QFileDialog;
class QLabel;
class QPixmap;
class QWidget;

namespace kuvaro {

// Opaque label: background and text colour live in the palette.
void setLabelColor(QLabel* label, TColor background);
TColor labelColor(const QLabel* label);
void setLabelFontColor(QLabel* label, TColor text);
TColor labelFontColor(const QLabel* label);

void setBackground(QWidget* w, TColor background);

// A fixed dialog frame with a title bar and a close box, no minimise or maximise
// button (without CustomizeWindowHint X11 window managers add them all).
inline constexpr Qt::WindowFlags FixedDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                    Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                                    Qt::MSWindowsFixedSizeDialogHint;

struct LabelSetup
{
    const char* name;
    QRect geometry;
    QString text;
    Qt::Alignment alignment = Qt::AlignCenter;
    TColor background = clValueLabel;
    QFont font;
};

QLabel* makeLabel(QWidget* parent, const LabelSetup& setup);

// A PNG picture of the program's resources. Read with its format named: a
// reader left to find the format itself first loads every image format
// plugin to ask each whether it knows the file (nine libraries, a tenth of
// the start-up).
QPixmap pngResource(const QString& path);

// Where a window of the given outer size stands centred in an area of the screen.
QPoint centredIn(QSize outer, const QRect& area);

// Runs a file dialog modally and returns its result. Return in the file name field can
// accept the dialog while the name completer's list is open; that list would stay on
// the screen over the main window and swallow the next click, so it is closed here.
int execFileDialog(QFileDialog* dialog);

} // namespace kuvaro
