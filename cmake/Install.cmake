# Install rules: Kuvaro installed like a desktop application.
#
#   lib/kuvaro/kuvaro                 the program, and beside it
#   lib/kuvaro/Beispieldiagramm.bmp   the sample diagram: the open dialog starts
#                                     in the folder of the real executable
#   bin/kuvaro                        relative link to the program, for the PATH
#                                     (Qt finds the program's folder through
#                                     /proc/self/exe, so the link resolves)
#   share/applications, share/icons/hicolor, share/metainfo, share/man/man1,
#   share/doc/kuvaro                  menu entry, icons, AppStream data, manual
#                                     page, copyright
#
# The program folder is lib/kuvaro and not CMAKE_INSTALL_LIBDIR, which is
# lib/<triplet> on Debian and meant for shared libraries. tools/package.sh
# turns the installed tree into a Debian package.

include(GNUInstallDirs)

set(KUVARO_PROGRAM_DIR lib/kuvaro)
# The release that the project version names: major, minor and patch, as the
# application and the package carry it, and the day it was made.
set(KUVARO_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(KUVARO_RELEASE_DATE 2026-12-09)
set(KUVARO_PACKAGE_MAINTAINER "Kuvaro-Entwickler <kuvaro@example.org>" CACHE STRING
  "Maintainer field of the Debian package")

set(desktop_dir ${PROJECT_SOURCE_DIR}/resources/desktop)
set(icons_dir ${PROJECT_SOURCE_DIR}/resources/icons)
set(app_id de.kuvaro.Kuvaro)

install(TARGETS kuvaro RUNTIME DESTINATION ${KUVARO_PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/Beispieldiagramm.bmp DESTINATION ${KUVARO_PROGRAM_DIR})

file(RELATIVE_PATH link_target /${CMAKE_INSTALL_BINDIR} /${KUVARO_PROGRAM_DIR}/kuvaro)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install)
file(CREATE_LINK ${link_target} ${CMAKE_BINARY_DIR}/install/kuvaro SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/install/kuvaro DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${desktop_dir}/${app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${icons_dir}/${app_id}.svg DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES ${icons_dir}/hicolor/${size}x${size}/apps/${app_id}.png
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

configure_file(${desktop_dir}/${app_id}.metainfo.xml.in ${CMAKE_BINARY_DIR}/install/${app_id}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/${app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)

install(FILES ${desktop_dir}/kuvaro.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${desktop_dir}/copyright DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kuvaro)

# What the packaging script needs to know of this build, from the same source.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/install/package-info.sh CONTENT [[
KUVARO_VERSION='@KUVARO_VERSION@'
KUVARO_RELEASE_DATE='@KUVARO_RELEASE_DATE@'
KUVARO_PACKAGE_MAINTAINER='@KUVARO_PACKAGE_MAINTAINER@'
KUVARO_PROGRAM_DIR='@KUVARO_PROGRAM_DIR@'
]] @ONLY)
