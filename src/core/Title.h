#pragma once
// The application title, which the main window's caption, the dialogs and the
// error box carry: "  Kuvaro  " and the version text, major and two-digit
// minor with a trailing blank ("26.01 ").

#include <QString>

namespace kuvaro {

QString titleVersionText();
QString applicationTitleText();

} // namespace kuvaro
