# Each source folder is one static library made of every source file in it.
# A folder whose units do not exist yet still gives a target, so that the
# folders above it can already name it. A folder that needs two libraries
# names the units of one with ONLY and leaves them out of the other with
# EXCLUDE.
function(tornalo_add_library name)
  cmake_parse_arguments(arg "" "" "PUBLIC;PRIVATE;ONLY;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(arg_ONLY)
    list(JOIN arg_ONLY "|" units)
    list(FILTER sources INCLUDE REGEX "/(${units})\\.(cpp|h)$")
  endif()
  if(arg_EXCLUDE)
    list(JOIN arg_EXCLUDE "|" units)
    list(FILTER sources EXCLUDE REGEX "/(${units})\\.(cpp|h)$")
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC tornalo_options ${arg_PUBLIC} PRIVATE ${arg_PRIVATE})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE tornalo_options ${arg_PUBLIC})
  endif()
endfunction()

# Copies a data file of the current folder beside the executable
# (build/<flavour>/app/), as its own build step named target, so a changed
# file is copied again even when nothing is relinked.
function(tornalo_place_beside_program target file description)
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/${file})
  set(copy ${CMAKE_BINARY_DIR}/app/${file})
  add_custom_command(OUTPUT ${copy}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    DEPENDS ${source}
    COMMENT "Placing ${description} beside the executable")
  add_custom_target(${target} ALL DEPENDS ${copy})
endfunction()
