#include "app/Startup.h"
#include "dialogs/VersionInfo.h"

#ifndef KUVARO_FILE_VERSION
#error "KUVARO_FILE_VERSION must be defined by the build"
#endif

// The version information of this program file, read back by the information
// dialog. It lives in a section of its own so that it can be found without
// running the program; `used` keeps it although nothing refers to it.
[[gnu::used, gnu::section(".kuvaro_verinfo")]] constexpr auto kuvaroVersionInfo =
    kuvaro::makeVersionInfo(KUVARO_FILE_VERSION);

int main(int argc, char** argv) { return kuvaro::runKuvaro(argc, argv); }
