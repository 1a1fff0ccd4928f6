#pragma once
// The main window takes nine tenths of the screen and stretches the picture
// frame, the toolbar and the point list with it; everything else keeps its place.

#include <QList>
#include <QSize>

namespace kuvaro {

struct MainWindowGeometry
{
    QSize outer;        // window size including frame and title bar
    QSize panel1;       // picture view frame
    int panel4Width;    // toolbar
    int listViewHeight; // point list
};

// Fewer than two monitors: the primary screen; otherwise the first monitor of the list.
QSize sizingScreen(const QList<QSize>& monitors, QSize primary);

MainWindowGeometry mainWindowGeometry(QSize screen);

// Design positions the stretching rule refers to.
inline constexpr int Panel1Left = 214;
inline constexpr int Panel1Top = 109;
inline constexpr int Panel4Left = 8;
inline constexpr int ListView1Top = 446;

} // namespace kuvaro
