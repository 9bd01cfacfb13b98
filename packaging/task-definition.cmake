# Writes one of zStartup's task definitions as the Task Scheduler writes its own (UTF-16 LE with
# a byte order mark, as schtasks /Query /XML does):
#   cmake -DTEMPLATE=<file.xml.in> -DOUTPUT=<file.xml> -DFOLDER=<folder> -DVERSION=<a.b.c.d>
#         -P packaging/task-definition.cmake
# FOLDER is the launcher's folder as the task should name it, with the environment variable the
# Task Scheduler expands in Command and WorkingDirectory (%ProgramFiles%\zStartup).
cmake_minimum_required(VERSION 3.25)
foreach(parameter TEMPLATE OUTPUT FOLDER VERSION)
  if(NOT ${parameter})
    message(FATAL_ERROR "task-definition.cmake: ${parameter} is not set")
  endif()
endforeach()
find_program(ICONV iconv REQUIRED)

configure_file(${TEMPLATE} ${OUTPUT}.utf8 @ONLY)
file(READ ${OUTPUT}.utf8 text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
# U+FEFF in UTF-8, which iconv writes as the UTF-16 LE mark FF FE.
string(ASCII 239 187 191 mark)
file(WRITE ${OUTPUT}.utf8 "${mark}${text}")
execute_process(COMMAND ${ICONV} -f UTF-8 -t UTF-16LE ${OUTPUT}.utf8
                OUTPUT_FILE ${OUTPUT} COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE ${OUTPUT}.utf8)
