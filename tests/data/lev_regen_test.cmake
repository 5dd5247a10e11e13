# Tests of the start-up data directory data/LEV and of its generator tools/make_lev.py.
# Included from tests/CMakeLists.txt.
#
#   lev_files_match_generator  regenerates the directory under the build tree and
#                              compares every file byte for byte with data/LEV
#   lev_generator_unit_tests   Python unittest checks of the generated tables
#
# The tools use the standard library only; the system's python3 is preferred.

find_program(DODAVEV_PYTHON3 NAMES python3 HINTS /usr/bin DOC "Python 3 for the data tools")

if(NOT DODAVEV_PYTHON3)
  message(WARNING "python3 not found: the LEV data tests are not registered")
  return()
endif()

add_test(NAME lev_files_match_generator
         COMMAND ${DODAVEV_PYTHON3} ${CMAKE_SOURCE_DIR}/tools/check_lev.py ${CMAKE_SOURCE_DIR}
                 --work ${CMAKE_CURRENT_BINARY_DIR}/lev_regen)

add_test(NAME lev_generator_unit_tests
         COMMAND ${DODAVEV_PYTHON3} -m unittest discover -s ${CMAKE_CURRENT_LIST_DIR} -p "test_*.py" -v)
set_tests_properties(lev_files_match_generator lev_generator_unit_tests
                     PROPERTIES ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1" LABELS "data")
