#pragma once
// Colours as 0x00BBGGRR values (red in the low byte) and the few control
// properties the windows set and read back: opaque label colours, fonts, geometry.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QRgb>
#include <QString>
#include <Qt>

class QFileDialog;
class QLabel;
class QWidget;

namespace kuvaro {

using TColor = quint32;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clGrey = 0x808080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clRedBand = 0x0000D5;
constexpr TColor clRestingLabel = 0xEBEBEB;
constexpr TColor clValueLabel = 0xEEEEEE;

inline QRgb toQRgb(TColor c)
{
    return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}
inline QColor toQColor(TColor c) { return QColor(toQRgb(c)); }
inline TColor fromQRgb(QRgb rgb)
{
    return TColor(qRed(rgb)) | (TColor(qGreen(rgb)) << 8) | (TColor(qBlue(rgb)) << 16);
}
inline TColor fromQColor(const QColor& c) { return fromQRgb(c.rgb()); }

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

// Runs a file dialog modally and returns its result. Return in the file name field can
// accept the dialog while the name completer's list is open; that list would stay on
// the screen over the main window and swallow the next click, so it is closed here.
int execFileDialog(QFileDialog* dialog);

} // namespace kuvaro
