#pragma once
#include <QString>

namespace kuvaro {

// "Jan" .. "Dec" to 1 .. 12, anything else to 0.
int monthNumber(const QString& name);

// title, day.month.year and hour:minute:second from the compiler's date ("Feb 28 2026")
// and time ("17:43:47") texts, ending in a blank; at most 49 characters.
QString makeBuildStamp(const QString& title, const char* dateText, const char* timeText);

} // namespace kuvaro
