#include "app/BuildStamp.h"

#include <array>
#include <cstdio>

namespace kuvaro {

int monthNumber(const QString& name)
{
    static const std::array<const char*, 12> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int i = 0; i < 12; ++i) {
        if (name == QLatin1String(months[i]))
            return i + 1;
    }
    return 0;
}

QString makeBuildStamp(const QString& title, const char* dateText, const char* timeText)
{
    char month[16] = {};
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    std::sscanf(dateText, "%15s %d %d", month, &day, &year);
    std::sscanf(timeText, "%d:%d:%d", &hour, &minute, &second);
    const QString stamp = QString::asprintf("%s %02d.%02d.%02d %02d:%02d:%02d ", title.toUtf8().constData(), day,
                                            monthNumber(QString::fromLatin1(month)), year, hour, minute, second);
    // The stamp lives in a buffer of 50 code units, terminator included.
    return stamp.left(49);
}

} // namespace kuvaro
