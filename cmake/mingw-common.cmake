# Shared part of the MinGW-w64 toolchain files; ZSTARTUP_MINGW_TRIPLET names the target.
# ZSTARTUP_MINGW_THREADS chooses the compilers' thread model: posix (the default, which the tests
# need: GoogleTest uses std::mutex) or win32 (no winpthreads linked in: the shipped programs).
if(NOT ZSTARTUP_MINGW_THREADS)
  set(ZSTARTUP_MINGW_THREADS posix)
endif()
set(ZSTARTUP_MINGW_THREADS ${ZSTARTUP_MINGW_THREADS} CACHE STRING "Thread model of the MinGW compilers: posix or win32")
# Compiler checks configure projects of their own, which must pick the same compilers.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZSTARTUP_MINGW_THREADS)

find_program(ZSTARTUP_MINGW_CXX_${ZSTARTUP_MINGW_THREADS} ${ZSTARTUP_MINGW_TRIPLET}-g++-${ZSTARTUP_MINGW_THREADS})
find_program(ZSTARTUP_MINGW_CC_${ZSTARTUP_MINGW_THREADS} ${ZSTARTUP_MINGW_TRIPLET}-gcc-${ZSTARTUP_MINGW_THREADS})
find_program(ZSTARTUP_MINGW_WINDRES ${ZSTARTUP_MINGW_TRIPLET}-windres)
if(NOT ZSTARTUP_MINGW_CXX_${ZSTARTUP_MINGW_THREADS} OR NOT ZSTARTUP_MINGW_CC_${ZSTARTUP_MINGW_THREADS}
   OR NOT ZSTARTUP_MINGW_WINDRES)
  message(FATAL_ERROR "${ZSTARTUP_MINGW_TRIPLET} compilers (${ZSTARTUP_MINGW_THREADS} threads) or windres not found: run scripts/setup.sh")
endif()
set(CMAKE_C_COMPILER ${ZSTARTUP_MINGW_CC_${ZSTARTUP_MINGW_THREADS}})
set(CMAKE_CXX_COMPILER ${ZSTARTUP_MINGW_CXX_${ZSTARTUP_MINGW_THREADS}})
set(CMAKE_RC_COMPILER ${ZSTARTUP_MINGW_WINDRES})
set(CMAKE_FIND_ROOT_PATH /usr/${ZSTARTUP_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# A package found for the build machine (the host's GoogleTest) must never be linked into a
# Windows program.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
