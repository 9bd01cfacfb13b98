# Flags shared by every target of the project: warnings, static runtime on Windows,
# sanitizers on the host.
add_library(zstartup_options INTERFACE)
target_include_directories(zstartup_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(zstartup_options INTERFACE -Wall -Wextra)

if(WIN32)
  # A built .exe must need nothing but DLLs that ship with Windows.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # With the runtime linked in, keep only what is reached: every function and datum in a
  # section of its own, unreferenced sections dropped at link time.
  add_compile_options(-ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections)
  target_compile_definitions(zstartup_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
  set(ZSTARTUP_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
endif()

if(ZSTARTUP_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
