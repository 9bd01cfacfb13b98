# The shipped programs without winpthreads. The tests need the posix thread model (GoogleTest
# uses std::mutex), which links winpthreads into every program; so zStartup.exe and
# zStartupCheck.exe come from a build of this project of their own (programs/ in this build
# tree), with the win32 thread model and without tests, and are copied into bin/, where the
# tests run them and the packages take them. The tests' own variants (zStartupStaticWinmm) and
# the libraries the unit tests link stay in this tree.
include(ExternalProject)

set(ZSTARTUP_PROGRAMS_APART ON)
set(programs_build ${CMAKE_BINARY_DIR}/programs)
set(built_apart "")
set(copied_to_bin "")
foreach(program IN ITEMS zStartup zStartupCheck)
  list(APPEND built_apart ${programs_build}/bin/${program}.exe)
  list(APPEND copied_to_bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${program}.exe)
endforeach()

ExternalProject_Add(zstartup_programs
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${programs_build}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
             -DZSTARTUP_MINGW_THREADS=win32 -DZSTARTUP_TESTS=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target zStartup zStartupCheck
  # Copied only when changed, so that what depends on them is not rebuilt for nothing.
  INSTALL_COMMAND ${CMAKE_COMMAND} -E copy_if_different ${built_apart} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
  # Its own build decides what is out of date.
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${copied_to_bin})

# zstartup_program_apart(NAME): the target NAME makes bin/NAME.exe through that build. Whoever
# needs the file names it by that path, as for a program built here.
function(zstartup_program_apart name)
  add_custom_target(${name})
  add_dependencies(${name} zstartup_programs)
endfunction()
