# Writes the source of the link-time stamp: run by the link step of the
# executable (see kuvaro_stamp_at_link in src/CMakeLists.txt), so the time is
# the time of linking, not of compiling. CMake's TIMESTAMP honours
# SOURCE_DATE_EPOCH; a reproducible build then gets that time in UTC.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  string(TIMESTAMP now "%Y, %m, %d, %H, %M, %S" UTC)
else()
  string(TIMESTAMP now "%Y, %m, %d, %H, %M, %S")
endif()
# Leading zeros would make octal numbers.
string(REGEX REPLACE "(^|, )0([0-9])" "\\1\\2" now "${now}")
file(WRITE "${OUT}" "extern \"C\" const int kuvaro_link_time[6] = {${now}};\n")
