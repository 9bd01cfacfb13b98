# Flags shared by every target of the project: warnings, static runtime on Windows,
# sanitizers on the host.
add_library(zstartup_options INTERFACE)
target_include_directories(zstartup_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(zstartup_options INTERFACE -Wall -Wextra)

# The version of project(), in its four parts, for what holds it: the programs' version records
# and the checker's report (resources/version.h), and the tests that read them.
if(NOT PROJECT_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "project(VERSION) must have four parts, a.b.c.d, as a version record has: ${PROJECT_VERSION}")
endif()
add_library(zstartup_version INTERFACE)
target_compile_definitions(zstartup_version INTERFACE
  ZSTARTUP_VERSION_MAJOR=${PROJECT_VERSION_MAJOR} ZSTARTUP_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  ZSTARTUP_VERSION_PATCH=${PROJECT_VERSION_PATCH} ZSTARTUP_VERSION_TWEAK=${PROJECT_VERSION_TWEAK})

if(WIN32)
  # A built .exe must need nothing but DLLs that ship with Windows.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # With the runtime linked in, keep only what is reached: every function and datum in a
  # section of its own, unreferenced sections dropped at link time.
  add_compile_options(-ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections)
  target_compile_definitions(zstartup_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX)
  # The one place that says how a built Windows program runs here: cross-built, under Wine, in a
  # prefix of the build tree's own (tests, test discovery and test scripts alike); built on
  # Windows itself (the native presets), as it is.
  set(ZSTARTUP_UNDER_WINE ${CMAKE_CROSSCOMPILING})
  if(ZSTARTUP_UNDER_WINE)
    set(ZSTARTUP_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh ${ZSTARTUP_WINEPREFIX})
  endif()
endif()

if(ZSTARTUP_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
