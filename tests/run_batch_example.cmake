# Runs the shipped example BatchFile in a scratch copy of the examples directory and
# checks that the program reads it to its end.
file(REMOVE_RECURSE ${WORK})
file(COPY ${SRC}/examples/ DESTINATION ${WORK})
execute_process(COMMAND ${EXE} ${WORK}/default.bat WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}")
message("${err}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the example batch run failed with ${rc}")
endif()
