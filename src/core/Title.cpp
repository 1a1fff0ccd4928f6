#include "core/Title.h"

#include "core/Version.h"

namespace kuvaro {

QString titleVersionText()
{
    return QStringLiteral("%1.%2 ").arg(VersionMajor).arg(VersionMinor, 2, 10, QLatin1Char('0'));
}

QString applicationTitleText() { return QStringLiteral("  Kuvaro  ") + titleVersionText(); }

} // namespace kuvaro
