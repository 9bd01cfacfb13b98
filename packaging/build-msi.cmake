# Builds zStartup's Windows Installer package from zStartup.wxs with wixl:
#   cmake -DOUTPUT=<file.msi> -DVERSION=<a.b.c.d> -DARCH=x86|x64 -DPAYLOAD_DIR=<folder>
#         [-DWOW64_DIR=<folder>] -P packaging/build-msi.cmake
# VERSION is the programs' (every .exe of PAYLOAD_DIR): the version their records hold.
# Every file of PAYLOAD_DIR is installed under its own name into the zStartup folder of Program
# Files (x86: the 32-bit programs' Program Files; x64: the 64-bit one only), one component each.
# A file of WOW64_DIR (x86 only) is installed in place of the payload's file of the same name
# when the package installs on 64-bit Windows: the task definitions, whose paths differ there.
cmake_minimum_required(VERSION 3.25)
foreach(parameter OUTPUT VERSION ARCH PAYLOAD_DIR)
  if(NOT ${parameter})
    message(FATAL_ERROR "build-msi.cmake: ${parameter} is not set")
  endif()
endforeach()
file(REAL_PATH ${PAYLOAD_DIR} PAYLOAD_DIR)
get_filename_component(OUTPUT ${OUTPUT} ABSOLUTE)

# The family's identity, the same for every version and both architectures.
set(upgrade_code BB00D449-7031-4AAE-BAB8-F5316303F690)

if(ARCH STREQUAL "x86")
  set(program_files ProgramFilesFolder)
  set(win64 no)
elseif(ARCH STREQUAL "x64")
  set(program_files ProgramFiles64Folder)
  set(win64 yes)
else()
  message(FATAL_ERROR "build-msi.cmake: ARCH must be x86 or x64, not ${ARCH}")
endif()

string(REGEX MATCH "^([0-9]+)\\.([0-9]+)\\.([0-9]+)(\\.[0-9]+)?$" matched ${VERSION})
if(NOT matched)
  message(FATAL_ERROR "build-msi.cmake: VERSION must be a.b.c or a.b.c.d, not ${VERSION}")
endif()
math(EXPR next_build "${CMAKE_MATCH_3} + 1")
set(first_newer_version ${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${next_build})

# A component keeps its GUID from version to version (same file, same place) and has another
# one in the other architecture's package, whose folder is another place.
file(GLOB files RELATIVE ${PAYLOAD_DIR} ${PAYLOAD_DIR}/*)
list(SORT files)
set(wow64_files "")
if(WOW64_DIR AND ARCH STREQUAL "x86")
  file(REAL_PATH ${WOW64_DIR} WOW64_DIR)
  file(GLOB wow64_files RELATIVE ${WOW64_DIR} ${WOW64_DIR}/*)
  file(RELATIVE_PATH wow64_source ${PAYLOAD_DIR} ${WOW64_DIR})  # wixl takes relative sources only
endif()
set(components "")
set(versioning "")
# wixl reads no component conditions: they are set in the built package, with the versions.
set(conditions "")
foreach(file IN LISTS files)
  string(UUID guid NAMESPACE ${upgrade_code} NAME "${ARCH}/${file}" TYPE SHA1 UPPER)
  string(APPEND components
    "      <Component Id=\"${file}\" Guid=\"${guid}\" Win64=\"${win64}\">\n"
    "        <File Id=\"${file}\" Name=\"${file}\" Source=\"${file}\" KeyPath=\"yes\" />\n"
    "      </Component>\n")
  if(file IN_LIST wow64_files)
    string(UUID guid NAMESPACE ${upgrade_code} NAME "${ARCH}/wow64/${file}" TYPE SHA1 UPPER)
    string(APPEND components
      "      <Component Id=\"${file}.wow64\" Guid=\"${guid}\" Win64=\"no\">\n"
      "        <File Id=\"${file}.wow64\" Name=\"${file}\" Source=\"${wow64_source}/${file}\" KeyPath=\"yes\" />\n"
      "      </Component>\n")
    list(APPEND conditions
      -q "UPDATE `Component` SET `Condition` = 'NOT VersionNT64' WHERE `Component` = '${file}'"
      -q "UPDATE `Component` SET `Condition` = 'VersionNT64' WHERE `Component` = '${file}.wow64'")
  endif()
  # wixl records every file as unversioned; Windows Installer then keeps any versioned copy
  # already in the folder (one put there by hand from the zip) instead of installing its own.
  # The programs are the project's, whose version records hold VERSION.
  if(file MATCHES "\\.exe$")
    list(APPEND versioning
      -q "UPDATE `File` SET `Version` = '${VERSION}' WHERE `File` = '${file}'"
      -q "DELETE FROM `MsiFileHash` WHERE `File_` = '${file}'")
  endif()
endforeach()
set(fragment ${OUTPUT}.payload.wxs)
file(WRITE ${fragment}
  "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
  "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
  "  <Fragment>\n"
  "    <ComponentGroup Id=\"Payload\" Directory=\"INSTALLFOLDER\">\n"
  "${components}"
  "    </ComponentGroup>\n"
  "  </Fragment>\n"
  "</Wix>\n")

# wixl finds sources relative to its working directory only: it runs in the payload folder.
execute_process(
  COMMAND wixl --arch ${ARCH} --define UpgradeCode=${upgrade_code} --define Version=${VERSION}
          --define FirstNewerVersion=${first_newer_version}
          --define ProgramFilesFolder=${program_files} --output ${OUTPUT}
          ${CMAKE_CURRENT_LIST_DIR}/zStartup.wxs ${fragment}
  WORKING_DIRECTORY ${PAYLOAD_DIR}
  COMMAND_ERROR_IS_FATAL ANY)
if(versioning OR conditions)
  execute_process(COMMAND msibuild ${OUTPUT} ${versioning} ${conditions} COMMAND_ERROR_IS_FATAL ANY)
endif()
