// Report text (UTF-8) written as a console, or a program reading the output, shows it, as
// Windows' own console tools write: to a console its characters as they are; to a pipe or a
// file, bytes in the console's output code page, or in the OEM code page when there is no
// console (what Windows PowerShell 5.1 and cmd decode a program's output with).
#ifndef ZSTARTUP_CHECKER_REPORT_CONSOLETEXT_H
#define ZSTARTUP_CHECKER_REPORT_CONSOLETEXT_H

#include <windows.h>

#include <cstdio>
#include <string>

// utf8 in codePage. A character the code page lacks becomes its default character ('?'), never
// a look-alike that names another file; invalid UTF-8 is decoded as WideOfUtf8 does.
std::string InCodePage(const std::string& utf8, UINT codePage);

// The code page text written to a pipe or file is in: the console's output code page, or the
// OEM code page when this process has no console.
UINT OutputCodePage();

// utf8 on stream (stdout or stderr): with WriteConsoleW when it is a console, else
// InCodePage(utf8, OutputCodePage()) through the C runtime, which ends lines with CR LF.
void WriteText(FILE* stream, const std::string& utf8);

#endif
