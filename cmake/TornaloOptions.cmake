# One interface target carries the compile settings every folder shares.
add_library(tornalo_options INTERFACE)
target_compile_features(tornalo_options INTERFACE cxx_std_20)
target_compile_options(tornalo_options INTERFACE -Wall -Wextra -Werror)
target_compile_definitions(tornalo_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
target_include_directories(tornalo_options INTERFACE ${PROJECT_SOURCE_DIR})
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
