# Run by CPack on its staging folder before it makes the package: the
# programs lose the sections that Debian's packages leave out.
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_DIRECTORY}/*/bin/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND ${CPACK_TORNALO_OBJCOPY} --remove-section=.comment --remove-section=.note
    ${program} RESULT_VARIABLE result ERROR_VARIABLE error)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "objcopy could not take the unneeded sections out of ${program}: ${error}")
  endif()
endforeach()
