# Builds zStartup's Windows Installer package from zStartup.wxs with wixl:
#   cmake -DOUTPUT=<file.msi> -DVERSION=<a.b.c.d> -DARCH=x86|x64 -DPAYLOAD_DIR=<folder>
#         [-DWOW64_DIR=<folder>] -P packaging/build-msi.cmake
# VERSION is the programs' (every .exe of PAYLOAD_DIR): the version their records hold.
# Every file of PAYLOAD_DIR is installed under its own name into the zStartup folder of Program
# Files (x86: the 32-bit programs' Program Files; x64: the 64-bit one only), one component each;
# the files of its subfolders (docs) into subfolders of the same names.
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

# The 64-bit package runs the 64-bit schtasks: its SystemFolder is the 32-bit SysWOW64.
if(ARCH STREQUAL "x86")
  set(program_files ProgramFilesFolder)
  set(win64 no)
  set(schtasks_folder SystemFolder)
elseif(ARCH STREQUAL "x64")
  set(program_files ProgramFiles64Folder)
  set(win64 yes)
  set(schtasks_folder System64Folder)
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
file(GLOB files LIST_DIRECTORIES false RELATIVE ${PAYLOAD_DIR} ${PAYLOAD_DIR}/*)
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
# The subfolders' files: a directory each under INSTALLFOLDER, their components referenced from
# the same group. Identifiers take letters, digits, underscores and periods only.
file(GLOB subfolders LIST_DIRECTORIES true RELATIVE ${PAYLOAD_DIR} ${PAYLOAD_DIR}/*)
set(subfolder_directories "")
foreach(subfolder IN LISTS subfolders)
  if(NOT IS_DIRECTORY ${PAYLOAD_DIR}/${subfolder})
    continue()
  endif()
  string(MAKE_C_IDENTIFIER "dir_${subfolder}" directory_id)
  string(APPEND subfolder_directories "      <Directory Id=\"${directory_id}\" Name=\"${subfolder}\">\n")
  file(GLOB subfolder_files LIST_DIRECTORIES false RELATIVE ${PAYLOAD_DIR} ${PAYLOAD_DIR}/${subfolder}/*)
  list(SORT subfolder_files)
  foreach(file IN LISTS subfolder_files)
    string(UUID guid NAMESPACE ${upgrade_code} NAME "${ARCH}/${file}" TYPE SHA1 UPPER)
    string(MAKE_C_IDENTIFIER "${file}" id)
    get_filename_component(name ${file} NAME)
    string(APPEND subfolder_directories
      "        <Component Id=\"${id}\" Guid=\"${guid}\" Win64=\"${win64}\">\n"
      "          <File Id=\"${id}\" Name=\"${name}\" Source=\"${file}\" KeyPath=\"yes\" />\n"
      "        </Component>\n")
    string(APPEND components "      <ComponentRef Id=\"${id}\" />\n")
  endforeach()
  string(APPEND subfolder_directories "      </Directory>\n")
endforeach()

set(fragment ${OUTPUT}.payload.wxs)
file(WRITE ${fragment}
  "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
  "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
  "  <Fragment>\n"
  "    <DirectoryRef Id=\"INSTALLFOLDER\">\n"
  "${subfolder_directories}"
  "    </DirectoryRef>\n"
  "    <ComponentGroup Id=\"Payload\" Directory=\"INSTALLFOLDER\">\n"
  "${components}"
  "    </ComponentGroup>\n"
  "  </Fragment>\n"
  "</Wix>\n")

# The package's memory of the task it registered: one registry value, a component of its own,
# installed only when there is a choice to remember.
string(UUID task_choice_guid NAMESPACE ${upgrade_code} NAME "${ARCH}/registry/Task" TYPE SHA1 UPPER)
list(APPEND conditions -q "UPDATE `Component` SET `Condition` = 'ZSTARTUP_TASK_CHOICE' WHERE `Component` = 'TaskChoice'")

# What wixl cannot write:
# - the refusal of a ZSTARTUP_TASK that is none of 1, logon or boot: an error action (type 19),
#   whose message Windows logs with the value; its action text is logged by every installer
#   (Wine's included) when it runs;
# - whether a task \zStartup is registered before the install (the Task Scheduler keeps each task
#   as a file of its name in the native System32\Tasks): ZSTARTUP_TASK_EXISTED. A 32-bit
#   package's searches of System32 are redirected to SysWOW64 (so is its SystemFolder), and
#   reach the native one through Sysnative, which 64-bit processes do not have: both are asked;
# - a rollback custom action: wixl writes Execute="rollback" as an immediate one. Type 3442:
#   an executable named by a property (50), return ignored (0x40), rollback (0x100) in the
#   script (0x400), not impersonated (0x800).
set(known_task_values "ZSTARTUP_TASK = \"1\" OR ZSTARTUP_TASK ~= \"logon\" OR ZSTARTUP_TASK ~= \"boot\"")
set(task_value_help "use logon or 1 (at logon, in the session of the user who logs on), boot (at boot, as LocalSystem), or leave it out to register no task. Nothing was changed.")
set(unwritten_by_wixl
  -q "INSERT INTO `CustomAction` (`Action`, `Type`, `Target`) VALUES ('RefuseTaskValue', 19, 'ZSTARTUP_TASK=[ZSTARTUP_TASK] is not a task of zStartup: ${task_value_help}')"
  -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('RefuseTaskValue', 'ZSTARTUP_TASK AND NOT (${known_task_values})', 99)"
  -q "CREATE TABLE `ActionText` (`Action` CHAR(72) NOT NULL, `Description` LONGCHAR LOCALIZABLE, `Template` LONGCHAR LOCALIZABLE PRIMARY KEY `Action`)"
  -q "INSERT INTO `ActionText` (`Action`, `Description`) VALUES ('RefuseTaskValue', 'ZSTARTUP_TASK is not a task of zStartup: ${task_value_help}')"
  -q "CREATE TABLE `DrLocator` (`Signature_` CHAR(72) NOT NULL, `Parent` CHAR(72), `Path` CHAR(255), `Depth` SHORT PRIMARY KEY `Signature_`, `Parent`, `Path`)"
  -q "INSERT INTO `Signature` (`Signature`, `FileName`) VALUES ('TaskStoreEntry', 'zStartup')"
  -q "INSERT INTO `DrLocator` (`Signature_`, `Path`, `Depth`) VALUES ('TaskStoreEntry', '[WindowsFolder]System32\\Tasks', 0)"
  -q "INSERT INTO `AppSearch` (`Property`, `Signature_`) VALUES ('ZSTARTUP_TASK_EXISTED', 'TaskStoreEntry')"
  -q "INSERT INTO `Signature` (`Signature`, `FileName`) VALUES ('NativeTaskStoreEntry', 'zStartup')"
  -q "INSERT INTO `DrLocator` (`Signature_`, `Path`, `Depth`) VALUES ('NativeTaskStoreEntry', '[WindowsFolder]Sysnative\\Tasks', 0)"
  -q "INSERT INTO `AppSearch` (`Property`, `Signature_`) VALUES ('ZSTARTUP_NATIVE_TASK_EXISTED', 'NativeTaskStoreEntry')"
  -q "UPDATE `CustomAction` SET `Type` = 3442 WHERE `Action` = 'UnregisterNewTask'")

# wixl finds sources relative to its working directory only: it runs in the payload folder.
execute_process(
  COMMAND wixl --arch ${ARCH} --define UpgradeCode=${upgrade_code} --define Version=${VERSION}
          --define FirstNewerVersion=${first_newer_version}
          --define ProgramFilesFolder=${program_files} --define Win64=${win64}
          --define SchtasksFolder=${schtasks_folder} --define TaskChoiceGuid=${task_choice_guid}
          --output ${OUTPUT} ${CMAKE_CURRENT_LIST_DIR}/zStartup.wxs ${fragment}
  WORKING_DIRECTORY ${PAYLOAD_DIR}
  COMMAND_ERROR_IS_FATAL ANY)
# Public properties the elevated part of the install takes from the command line and the searches
# (one argument: the list's separator is CMake's own).
execute_process(
  COMMAND msibuild ${OUTPUT} ${versioning} ${conditions} ${unwritten_by_wixl}
          -q "UPDATE `Property` SET `Value` = 'ZSTARTUP_REPLACED;ZSTARTUP_NEWER_INSTALLED;ZSTARTUP_TASK;ZSTARTUP_REMEMBERED;ZSTARTUP_TASK_EXISTED;ZSTARTUP_NATIVE_TASK_EXISTED' WHERE `Property` = 'SecureCustomProperties'"
  COMMAND_ERROR_IS_FATAL ANY)
