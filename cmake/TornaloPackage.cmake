# The Debian package, built by CPack from an installed tree (scripts/package).
# The libraries the programs link are found by dpkg-shlibdeps; what they run
# or load at run time is named here: Qt's platform plug-ins for the window,
# and Apertium with the language pairs that scripts/setup installs, read from
# that script so the two lists cannot drift apart.

file(READ ${PROJECT_SOURCE_DIR}/scripts/setup setup_script)
string(REGEX MATCH "packages=\\(([^)]*)\\)" setup_packages "${setup_script}")
string(REGEX MATCHALL "apertium[-a-z0-9]*" apertium_packages "${CMAKE_MATCH_1}")
if(NOT "apertium" IN_LIST apertium_packages)
  message(FATAL_ERROR "scripts/setup names no Apertium packages in its packages=( ... ) list")
endif()
list(REMOVE_DUPLICATES apertium_packages)
list(JOIN apertium_packages ", " apertium_depends)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tornalo)
set(CPACK_PACKAGE_VERSION ${TORNALO_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tornalo developers")
set(CPACK_PACKAGE_CONTACT "The Tornalo developers <developers@tornalo.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "round-trip translation for fun")
set(CPACK_PACKAGE_DESCRIPTION
  "Tornalo sends a text through a translation service into the languages you\n"
  "tick and back again, one step at a time, and shows the gradually\n"
  "distorted result. It comes with its own offline translation service,\n"
  "tornalo-service, which uses the Apertium language pairs, and with\n"
  "tornalo-cli, which runs the same plans from a terminal.")
list(JOIN CPACK_PACKAGE_DESCRIPTION "" CPACK_PACKAGE_DESCRIPTION)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The programs are stripped by CPack, which keeps their debug symbols in a
# package of their own, tornalo-dbgsym (a .ddeb beside the .deb), where
# debuggers find them by the build ID. The .comment and .note sections, which
# hold only the compiler's name, go first, as Debian's own packaging removes
# them; the debug symbols' package is mended afterwards.
set(CPACK_STRIP_FILES OFF)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_TORNALO_OBJCOPY ${CMAKE_OBJCOPY})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/TornaloUnneededSections.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/TornaloDebugSymbols.cmake)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://tornalo.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, ${apertium_depends}")
# Help > Contents and the forum page are opened through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
