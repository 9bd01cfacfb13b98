# GoogleTest for this build's target. The host preset links the machine's own build
# (libgtest-dev). Nothing on the machine is built for MinGW, and the toolchain files let
# find_package see only packages of the target, so the Windows presets build GoogleTest from
# the machine's sources (googletest) with their own compiler and flags (the posix-threads
# compilers: GoogleTest needs std::mutex).
set(ZSTARTUP_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources, built when no GoogleTest for the target is found")

find_package(GTest QUIET)
if(NOT GTest_FOUND)
  if(NOT EXISTS ${ZSTARTUP_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest for this target and no sources in ${ZSTARTUP_GOOGLETEST_SOURCE}: run scripts/setup.sh")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  # Its CMake names the libraries GTest::gtest and GTest::gtest_main, as find_package does.
  add_subdirectory(${ZSTARTUP_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
include(GoogleTest)
