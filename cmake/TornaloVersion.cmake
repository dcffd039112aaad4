# The program's version is the one its update descriptor records (the last
# <Version> line, as the update check reads it), so that every --version, the
# package and the update check say the same.
set(TORNALO_DESCRIPTOR ${PROJECT_SOURCE_DIR}/update/Tornalo.qvupdate)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TORNALO_DESCRIPTOR})
file(STRINGS ${TORNALO_DESCRIPTOR} version_lines REGEX "<Version>.*</Version>")
if(NOT version_lines)
  message(FATAL_ERROR "${TORNALO_DESCRIPTOR} holds no <Version> line")
endif()
list(GET version_lines -1 version_line)
string(REGEX REPLACE ".*<Version>(.*)</Version>.*" "\\1" TORNALO_VERSION "${version_line}")

# What every --version prints under its version line, and the about box under
# its copyright: the licence, and that there is no warranty.
set(TORNALO_LICENSE
  "License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>")
set(TORNALO_WARRANTY "This is free software: you are free to change and redistribute it. \
There is NO WARRANTY, to the extent permitted by law.")
configure_file(${CMAKE_CURRENT_LIST_DIR}/ProgramVersion.h.in
  ${PROJECT_BINARY_DIR}/generated/ProgramVersion.h @ONLY)
