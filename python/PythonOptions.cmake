# Whether the Python module is built, decided before the libraries are defined: the module
# is a shared object, so the static libraries it links are compiled position-independent.
#
# DODAVEV_BUILD_PYTHON is on by default when pybind11 and Python 3 with its headers are
# found (off in the sanitizer and fuzz builds, whose runtimes a plain python3 cannot load).
# Asked for (-DDODAVEV_BUILD_PYTHON=ON) and not found, configuring stops and names the
# Debian packages to install.

# Debian's own Python 3, the one python3-numpy belongs to, before any other on the PATH.
if(NOT DEFINED Python_EXECUTABLE AND EXISTS /usr/bin/python3)
  set(Python_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "Python 3 the module is built for")
endif()

set(DODAVEV_PYTHON_FOUND OFF)
set(PYBIND11_FINDPYTHON ON)
find_package(Python 3 QUIET COMPONENTS Interpreter Development.Module)
if(Python_FOUND)
  find_package(pybind11 CONFIG QUIET)
  if(pybind11_FOUND)
    execute_process(COMMAND ${Python_EXECUTABLE} -c "import numpy"
                    RESULT_VARIABLE DODAVEV_NUMPY_MISSING OUTPUT_QUIET ERROR_QUIET)
    if(DODAVEV_NUMPY_MISSING EQUAL 0)
      set(DODAVEV_PYTHON_FOUND ON)
    endif()
  endif()
endif()

set(DODAVEV_PYTHON_DEFAULT ${DODAVEV_PYTHON_FOUND})
if(DODAVEV_SANITIZE OR DODAVEV_BUILD_FUZZ)
  set(DODAVEV_PYTHON_DEFAULT OFF)
endif()
option(DODAVEV_BUILD_PYTHON "Build the Python module dodavev (needs pybind11-dev, python3-dev, python3-numpy)"
       ${DODAVEV_PYTHON_DEFAULT})

if(DODAVEV_BUILD_PYTHON AND NOT DODAVEV_PYTHON_FOUND)
  set(missing "")
  if(NOT Python_FOUND)
    list(APPEND missing python3-dev)
  endif()
  if(NOT pybind11_FOUND)
    list(APPEND missing pybind11-dev)
  endif()
  if(Python_FOUND AND pybind11_FOUND)
    list(APPEND missing python3-numpy)
  endif()
  string(REPLACE ";" " " missing "${missing}")
  message(FATAL_ERROR
          "The Python module (DODAVEV_BUILD_PYTHON=ON) needs pybind11, Python 3 with its "
          "headers and NumPy for ${Python_EXECUTABLE}, which were not all found: install "
          "${missing} (scripts/setup.sh installs everything), or configure with "
          "-DDODAVEV_BUILD_PYTHON=OFF for a build without the module.")
endif()

if(DODAVEV_BUILD_PYTHON)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  # Position-independent code may not inline functions another library could replace at
  # load time; nothing here is replaced, so they stay inlined as in the executable.
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    add_compile_options(-fno-semantic-interposition)
  endif()
endif()
