#pragma once
// The build stamp: the application title followed by the time at which the
// program file was linked, "  Kuvaro  26.01  28.02.2026 17:43:47 ".

#include <QString>

#include <optional>

namespace kuvaro {

struct BuildTime
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// title, day.month.year and hour:minute:second, ending in a blank; at most 49
// characters (the stamp's buffer holds 50 code units with the terminator).
QString makeBuildStamp(const QString& title, const BuildTime& time);

// When the running program was linked: the build writes the time into a small
// object linked into the executable at every link (the local time, or
// SOURCE_DATE_EPOCH in UTC for a reproducible build). Nothing for a program
// built without it.
std::optional<BuildTime> linkTime();

// The stamp of the running program; without a link time the date and time
// read "--.--.---- --:--:--".
QString programBuildStamp(const QString& title);

} // namespace kuvaro
