# Every *Test.cpp in a test folder becomes one test program; each of its
# GoogleTest cases becomes one CTest test, so ctest -j2 spreads them.
#   MAIN plain  - GoogleTest's own main, no Qt at all
#   MAIN core   - QCoreApplication and the internet library
#   MAIN gui    - QApplication on the offscreen platform
function(tornalo_add_tests)
  cmake_parse_arguments(arg "" "MAIN;TIMEOUT" "LIBS" ${ARGN})
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 60)
  endif()
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
  file(GLOB helper_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(source ${test_sources})
    get_filename_component(unit ${source} NAME_WE)
    set(target test_${folder}_${unit})
    add_executable(${target} ${source} ${helper_sources})
    target_link_libraries(${target} PRIVATE ${arg_LIBS} test_main_${arg_MAIN})
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      TEST_PREFIX "${folder}."
      PROPERTIES TIMEOUT ${arg_TIMEOUT} ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endforeach()
endfunction()
