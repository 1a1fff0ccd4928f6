#include "core/BuildStamp.h"

extern "C" {
// Year, month, day, hour, minute, second; defined by the object that the
// build makes at link time (cmake/LinkStamp.cmake).
[[gnu::weak]] extern const int kuvaro_link_time[6];
}

namespace kuvaro {

QString makeBuildStamp(const QString& title, const BuildTime& t)
{
    const QString stamp = QString::asprintf("%s %02d.%02d.%02d %02d:%02d:%02d ", title.toUtf8().constData(), t.day,
                                            t.month, t.year, t.hour, t.minute, t.second);
    return stamp.left(49);
}

std::optional<BuildTime> linkTime()
{
    const int* t = kuvaro_link_time;
    if (t == nullptr)
        return std::nullopt;
    return BuildTime{t[0], t[1], t[2], t[3], t[4], t[5]};
}

QString programBuildStamp(const QString& title)
{
    if (const auto t = linkTime())
        return makeBuildStamp(title, *t);
    return (title + QStringLiteral(" --.--.---- --:--:-- ")).left(49);
}

} // namespace kuvaro
