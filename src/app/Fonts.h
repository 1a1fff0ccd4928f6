#pragma once
// The window fonts by character height in pixels, found by family name.
//
// Tahoma and MS Sans Serif come from the Wine font package (fonts-wine),
// which puts them where fontconfig does not look; the program adds that folder
// to its own fontconfig configuration, so the font database knows them by
// name, and nothing is read from a fixed file. Without them a
// face of Helvetica's metrics stands in, chosen so the captions still fit their
// controls. KUVARO_WITHOUT_TAHOMA=1 in the environment leaves the Wine faces
// out, to see the windows as on a system without them.

#include <QFont>

namespace kuvaro {

// Sets up fontconfig for the program and notes which families are installed;
// before the font database is first used and before the first font is made.
void registerFonts();

// Whether the Wine faces are in use (false when missing or left out).
bool wineFacesInUse();

QFont tahomaFont(int pixelHeight, bool bold = false);
QFont msSansSerifFont(int pixelHeight, bool bold = false);
QFont arialFont(int pixelHeight);

} // namespace kuvaro
