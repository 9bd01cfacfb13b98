# Release packages of a Windows build, named zStartup-<version>-<win32|win64>:
#   cmake --build --preset win64 --target zip   the programs, the example service list and batch
#                                               file, the task definitions, the README and the
#                                               licence at the top level, the administrator's
#                                               pages in docs/
#   cmake --build --preset win64 --target msi   the Windows Installer package (packaging/)
# Both take the programs from release/programs, where they are copied, stripped and signed
# (scripts/sign.sh: only when a certificate is given) first; the MSI package is signed after
# it is built.
if(NOT WIN32)
  return()
endif()

# The programs the release ships, by target: each goes into the zip and, as a component of its
# own, into the MSI package.
set(ZSTARTUP_SHIPPED_PROGRAMS zStartup zStartupCheck)

# The documentation pages the README links to for the administrator, shipped in docs/ beside it
# so that its links work where it is read; the developers' pages stay in the source tree.
set(ZSTARTUP_SHIPPED_DOCS deploying.md service-list.md checker.md fleet.md finding-codes.md service-authors.md
                          threat-model.md)
list(TRANSFORM ZSTARTUP_SHIPPED_DOCS PREPEND ${PROJECT_SOURCE_DIR}/docs/ OUTPUT_VARIABLE shipped_doc_sources)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ZSTARTUP_PACKAGE_SYSTEM win64)
  set(ZSTARTUP_MSI_ARCH x64)
else()
  set(ZSTARTUP_PACKAGE_SYSTEM win32)
  set(ZSTARTUP_MSI_ARCH x86)
endif()
set(ZSTARTUP_PACKAGE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-${ZSTARTUP_PACKAGE_SYSTEM})
set(ZSTARTUP_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)

set(programs_dir ${ZSTARTUP_RELEASE_DIR}/programs)
set(built_programs "")
set(program_names "")
# Named by path: built apart (cmake/programs-apart.cmake), they are no executable targets here.
foreach(program IN LISTS ZSTARTUP_SHIPPED_PROGRAMS)
  list(APPEND built_programs ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${program}${CMAKE_EXECUTABLE_SUFFIX})
  list(APPEND program_names ${program}${CMAKE_EXECUTABLE_SUFFIX})
endforeach()
list(TRANSFORM program_names PREPEND ${programs_dir}/ OUTPUT_VARIABLE staged_programs)
set(sign bash ${PROJECT_SOURCE_DIR}/scripts/sign.sh)

# Custom targets run every time: the signing certificate comes from the environment of the
# build, which no dependency records.
add_custom_target(release_programs
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${programs_dir}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${programs_dir}
  COMMAND ${CMAKE_COMMAND} -E copy ${built_programs} ${programs_dir}
  COMMAND ${CMAKE_STRIP} ${staged_programs}
  COMMAND ${sign} ${staged_programs}
  COMMENT "Programs of the release: copied, stripped, signed when a certificate is given"
  VERBATIM)
add_dependencies(release_programs ${ZSTARTUP_SHIPPED_PROGRAMS})

# The task definitions, naming the launcher where the package installs it: the default at logon
# in the session of the user who logs on (ZSTARTUP_TASK=logon or 1), the other at boot as
# LocalSystem (ZSTARTUP_TASK=boot); packaging/zStartup.wxs names them too. The 64-bit package
# installs into the 64-bit Program Files, which the (64-bit) Task Scheduler calls %ProgramFiles%.
# The 32-bit package installs into the 32-bit Program Files: %ProgramFiles% on 32-bit Windows,
# %ProgramFiles(x86)% on 64-bit Windows, where no variable names it on both; its MSI package
# installs the second set there instead of the first (packaging/build-msi.cmake, WOW64_DIR).
set(ZSTARTUP_TASK_DEFINITIONS zStartup.task.xml zStartup.boot.task.xml)
set(tasks_dir ${ZSTARTUP_RELEASE_DIR}/tasks)
set(wow64_tasks_dir ${ZSTARTUP_RELEASE_DIR}/tasks-wow64)
set(task_commands "")
set(task_folders "${tasks_dir}=%ProgramFiles%\\zStartup")
if(ZSTARTUP_PACKAGE_SYSTEM STREQUAL win32)
  list(APPEND task_folders "${wow64_tasks_dir}=%ProgramFiles(x86)%\\zStartup")
endif()
foreach(task_folder IN LISTS task_folders)
  string(REGEX MATCH "^([^=]+)=(.*)$" matched "${task_folder}")
  foreach(definition IN LISTS ZSTARTUP_TASK_DEFINITIONS)
    list(APPEND task_commands COMMAND ${CMAKE_COMMAND} -DTEMPLATE=${PROJECT_SOURCE_DIR}/packaging/${definition}.in
         -DOUTPUT=${CMAKE_MATCH_1}/${definition} "-DFOLDER=${CMAKE_MATCH_2}" -DVERSION=${PROJECT_VERSION}
         -P ${PROJECT_SOURCE_DIR}/packaging/task-definition.cmake)
  endforeach()
endforeach()
list(TRANSFORM ZSTARTUP_TASK_DEFINITIONS PREPEND ${tasks_dir}/ OUTPUT_VARIABLE staged_tasks)
add_custom_target(release_tasks
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${tasks_dir} ${wow64_tasks_dir}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${tasks_dir} ${wow64_tasks_dir}
  ${task_commands}
  COMMENT "Task definitions of the release"
  VERBATIM)

set(zip_dir ${ZSTARTUP_RELEASE_DIR}/zip)
add_custom_target(zip
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${zip_dir}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${programs_dir} ${zip_dir}
  COMMAND ${CMAKE_COMMAND} -E copy
          ${PROJECT_SOURCE_DIR}/examples/Services.ini ${PROJECT_SOURCE_DIR}/examples/zStartup.bat
          ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${staged_tasks} ${zip_dir}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${zip_dir}/docs
  COMMAND ${CMAKE_COMMAND} -E copy ${shipped_doc_sources} ${zip_dir}/docs
  COMMAND ${CMAKE_COMMAND} -E chdir ${zip_dir}
          ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/${ZSTARTUP_PACKAGE_NAME}.zip --format=zip
          ${program_names} Services.ini zStartup.bat README.md LICENSE ${ZSTARTUP_TASK_DEFINITIONS} docs
  DEPENDS release_programs release_tasks
  COMMENT "Release zip ${ZSTARTUP_PACKAGE_NAME}.zip"
  VERBATIM)

# The installed folder as it will be: the example list under a name the launcher does not read.
set(msi_dir ${ZSTARTUP_RELEASE_DIR}/msi)
set(msi ${CMAKE_BINARY_DIR}/${ZSTARTUP_PACKAGE_NAME}.msi)
add_custom_target(msi
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${msi_dir}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${programs_dir} ${msi_dir}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${staged_tasks} ${msi_dir}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${msi_dir}/docs
  COMMAND ${CMAKE_COMMAND} -E copy ${shipped_doc_sources} ${msi_dir}/docs
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/examples/Services.ini ${msi_dir}/Services.example.ini
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${msi} -DVERSION=${PROJECT_VERSION} -DARCH=${ZSTARTUP_MSI_ARCH}
          -DPAYLOAD_DIR=${msi_dir} -DWOW64_DIR=${wow64_tasks_dir} -P ${PROJECT_SOURCE_DIR}/packaging/build-msi.cmake
  COMMAND ${sign} ${msi}
  DEPENDS release_programs release_tasks
  COMMENT "Windows Installer package ${ZSTARTUP_PACKAGE_NAME}.msi"
  VERBATIM)
