@echo off
rem zStartup.bat: opened by zStartup.exe once its service list is done, with the folder of
rem zStartup.exe as working directory. zStartup.exe does not wait for it and does not learn
rem its outcome; put here whatever should run at start-up.
rem
rem A copy of the launcher renamed Opening.exe opens Opening.bat instead.
rem
rem This example only shows that it ran: it appends the date, time and working directory to
rem zStartup_bat.log beside this file.

rem Work in this file's own folder, whatever the command processor chose: started from a
rem network share it would otherwise run in the Windows folder.
pushd "%~dp0"

>>"%~dp0zStartup_bat.log" echo %DATE% %TIME% zStartup.bat ran in %CD%
echo zStartup.bat ran in %CD%
