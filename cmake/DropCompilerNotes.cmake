# Run by CPack before it makes the package: removes the .comment section, where every
# compiler and start file leaves its name and version, from the staged programs.
file(GLOB_RECURSE programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND "${CPACK_OBJCOPY}" --remove-section=.comment "${program}"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot remove the .comment section of ${program}")
  endif()
endforeach()
