# One interface target carries the compile settings every folder shares.
add_library(tornalo_options INTERFACE)
target_compile_features(tornalo_options INTERFACE cxx_std_20)
target_compile_options(tornalo_options INTERFACE -Wall -Wextra -Werror)
target_compile_definitions(tornalo_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
target_include_directories(tornalo_options INTERFACE ${PROJECT_SOURCE_DIR}
  ${PROJECT_BINARY_DIR}/generated)
# GCC 12 at -O3 takes std::string's own copies for overlapping ones
# ("text" + std::to_string(n)) and warns with -Wrestrict (GCC bug 105329,
# mended in GCC 13), and takes a std::string temporary inside an aggregate
# of a test table for uninitialised; as errors they would stop every release
# build. The other builds keep both warnings.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(tornalo_options INTERFACE
    "$<$<CONFIG:Release>:-Wno-restrict;-Wno-maybe-uninitialized>")
endif()
# The relocations are made read-only once the program is loaded, as in
# Debian's own packages.
target_link_options(tornalo_options INTERFACE -Wl,-z,relro -Wl,-z,now)

# Release builds, and so the package, are hardened as Debian hardens its own
# packages: with the hardening flags that dpkg-buildflags gives, where it is
# installed, after the ones below, which fill in what it leaves out (dpkg
# before 1.22 knows neither stack-clash nor control-flow protection) and stand
# alone elsewhere; of two levels of one protection the compiler takes the
# last. _FORTIFY_SOURCE is defined once, as a second definition is an error,
# and needs the optimiser, which only Release runs. -g feeds the package's
# separate debug symbols; the installed programs are stripped.
set(hardening_flags -fstack-protector-strong -fstack-clash-protection -fcf-protection
  -Wformat -Werror=format-security)
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(DPKG_BUILDFLAGS)
  foreach(kind CPPFLAGS CXXFLAGS)
    execute_process(COMMAND ${DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE debian_flags OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(debian_flags UNIX_COMMAND "${debian_flags}")
    list(FILTER debian_flags INCLUDE REGEX
      "^(-fstack-|-fcf-protection|-D_FORTIFY_SOURCE=|-Wformat|-Werror=format-)")
    list(APPEND hardening_flags ${debian_flags})
  endforeach()
endif()
if(NOT hardening_flags MATCHES "-D_FORTIFY_SOURCE=")
  list(APPEND hardening_flags -D_FORTIFY_SOURCE=2)
endif()
list(REMOVE_DUPLICATES hardening_flags)
target_compile_options(tornalo_options INTERFACE "$<$<CONFIG:Release>:-g;${hardening_flags}>")

if(TORNALO_SANITIZE)
  set(sanitizer_flags -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
elseif(TORNALO_TSAN)
  set(sanitizer_flags -fsanitize=thread -fno-omit-frame-pointer)
endif()
if(sanitizer_flags)
  target_compile_options(tornalo_options INTERFACE ${sanitizer_flags})
  target_link_options(tornalo_options INTERFACE ${sanitizer_flags})
endif()

# Fuzzing instruments every library for coverage; only the fuzz programs
# themselves link libFuzzer's main.
if(TORNALO_FUZZ)
  target_compile_options(tornalo_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(tornalo_options INTERFACE -fsanitize=address,undefined)
endif()
