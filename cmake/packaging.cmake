# Release package: after a win32 build, `cpack --preset win32` writes zStartup-<version>-win32.zip
# holding what a user copies to a machine, all at the top level: the stripped zStartup.exe (its
# install rule is in launcher/), the example service list and batch file, and the README.
# Only Windows builds carry the launcher; a win64 build is packaged as -win64.
if(NOT WIN32)
  return()
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ZSTARTUP_PACKAGE_SYSTEM win64)
else()
  set(ZSTARTUP_PACKAGE_SYSTEM win32)
endif()

install(FILES
  ${PROJECT_SOURCE_DIR}/examples/Services.ini
  ${PROJECT_SOURCE_DIR}/examples/zStartup.bat
  ${PROJECT_SOURCE_DIR}/README.md
  DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-${ZSTARTUP_PACKAGE_SYSTEM})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
