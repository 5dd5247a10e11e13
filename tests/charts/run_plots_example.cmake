# Runs the chart pictures' BatchFile (docs/charts/charts.bat) with "--plots" in a scratch
# copy of the examples directory, without any display: the program must choose Qt's
# offscreen platform itself. Every record must leave its charts as SVG and PNG.
file(REMOVE_RECURSE ${WORK})
file(COPY ${SRC}/examples/ DESTINATION ${WORK})
file(COPY ${SRC}/docs/charts/charts.bat DESTINATION ${WORK})
set(ENV{DISPLAY} "")
set(ENV{WAYLAND_DISPLAY} "")
unset(ENV{QT_QPA_PLATFORM})
# Where a locale with a decimal comma is installed, Qt takes it up when it starts.
set(ENV{LC_ALL} "de_DE.UTF-8")
execute_process(COMMAND ${EXE} --plots ${WORK}/plots ${WORK}/charts.bat
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
message("${out}")
message("${err}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the --plots run failed with ${rc}")
endif()
foreach(chart default_results_1_depth-resolution default_results_2_energy-resolution
              full_spectrum_1_spectrum excitation_1_excitation-curve
              excitation_2_resonance-depth-resolution excitation_3_resonance-energy-resolution
              default_results_profile full_spectrum_profile)
  foreach(ending svg png)
    if(NOT EXISTS ${WORK}/plots/${chart}.${ending})
      message(FATAL_ERROR "--plots wrote no ${chart}.${ending}")
    endif()
  endforeach()
endforeach()
file(READ ${WORK}/plots/default_results_1_depth-resolution.svg svg)
string(FIND "${svg}" ">Depth resolution [nm]<" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the depth-resolution chart has no axis title")
endif()
# Titled with the record's parameter file.
string(FIND "${svg}" ">default.par<" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the depth-resolution chart is not titled with its parameter file")
endif()
# The reports of the records keep the decimal point whatever locale Qt found.
file(READ ${WORK}/default_results_1.dat report)
string(REGEX MATCH "[0-9],[0-9]" comma "${report}")
if(comma)
  message(FATAL_ERROR "the report has decimal commas after Qt started")
endif()
