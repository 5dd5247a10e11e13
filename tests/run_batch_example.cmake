# Runs the shipped example BatchFile in a scratch copy of the examples directory and
# checks that the program reads it to its end, finds the files the record names, and
# saves the results of the record.
file(REMOVE_RECURSE ${WORK})
file(COPY ${SRC}/examples/ DESTINATION ${WORK})
execute_process(COMMAND ${EXE} ${WORK}/default.bat WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}")
message("${err}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the example batch run failed with ${rc}")
endif()
if(NOT EXISTS ${WORK}/default.bat.log)
  message(FATAL_ERROR "the batch run wrote no log beside the BatchFile")
endif()
# "#" + code is how a file that cannot be read or written is reported.
file(STRINGS ${WORK}/default.bat.log io_errors REGEX "^#[0-9]+")
if(io_errors)
  message(FATAL_ERROR "input/output errors in the example run: ${io_errors}")
endif()
# The results of "depth and energy resolution" go to default_results_1.dat and _2.dat;
# as long as the calculation is not built, the report of no calculation to .dat.
if(NOT EXISTS ${WORK}/default_results_1.dat AND NOT EXISTS ${WORK}/default_results.dat)
  message(FATAL_ERROR "the example run saved no results")
endif()
