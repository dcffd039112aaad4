# Each source folder is one static library made of every source file in it.
# A folder whose units do not exist yet still gives a target, so that the
# folders above it can already name it.
function(tornalo_add_library name)
  cmake_parse_arguments(arg "" "" "PUBLIC;PRIVATE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC tornalo_options ${arg_PUBLIC} PRIVATE ${arg_PRIVATE})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE tornalo_options ${arg_PUBLIC})
  endif()
endfunction()
