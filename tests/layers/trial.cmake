# Configures and builds the two-layer trial tree for one CASE in BINARY_DIR and prints what
# the build said, for the layer tests to match: "trial built" when it built.
#   cmake -DPINWRIGHT_SOURCE_DIR=... -DBINARY_DIR=... -DCASE=... -P trial.cmake
file(REMOVE_RECURSE ${BINARY_DIR})
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/declared -B ${BINARY_DIR} -G Ninja
          -DCASE=${CASE} -DPINWRIGHT_SOURCE_DIR=${PINWRIGHT_SOURCE_DIR}
  OUTPUT_VARIABLE configured ERROR_VARIABLE configured RESULT_VARIABLE configure_status)
if(NOT configure_status EQUAL 0)
  message(FATAL_ERROR "the trial tree did not configure:\n${configured}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR}
                OUTPUT_VARIABLE built ERROR_VARIABLE built RESULT_VARIABLE build_status)
message("${built}")
if(build_status EQUAL 0)
  message("trial built")
endif()
