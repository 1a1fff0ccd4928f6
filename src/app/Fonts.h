#pragma once
// The window fonts by character height in pixels. Tahoma and MS Sans Serif come
// from the system's Wine font package when it is there; DejaVu Sans stands in otherwise.

#include <QFont>

namespace kuvaro {

void registerFonts();

QFont tahomaFont(int pixelHeight, bool bold = false);
QFont msSansSerifFont(int pixelHeight, bool bold = false);
QFont arialFont(int pixelHeight);

} // namespace kuvaro
