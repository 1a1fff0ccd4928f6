// The version information of the program file, read back by the information
// dialog through kuvaro_version_table. It lives in a section of its own so
// that it can be found in the file without running the program; `used` keeps
// it although only the table refers to it.

#include "core/Version.h"
#include "dialogs/VersionInfo.h"

namespace {

[[gnu::used, gnu::section(".kuvaro_verinfo")]] constexpr auto versionInfo =
    kuvaro::makeVersionInfo(kuvaro::FileVersion);

} // namespace

extern "C" const kuvaro::VersionTable kuvaro_version_table = {versionInfo.data(), versionInfo.size()};
