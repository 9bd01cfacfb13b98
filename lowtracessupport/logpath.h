// LogPathOf: where the trace log of an executable goes.
#ifndef ZSTARTUP_LOWTRACESSUPPORT_LOGPATH_H
#define ZSTARTUP_LOWTRACESSUPPORT_LOGPATH_H

#include <wchar.h>

const unsigned int kLogPathCapacity = 256;  // characters, terminator included

// The executable's path with its extension replaced by "_LT.log"; "default_LT.log" (in the
// current directory) when exePath is null or the result does not fit kLogPathCapacity, in
// UTF-16 units or in bytes of its ANSI form ('?' for characters the code page lacks): a path
// the code page holds fits as it did when the log was named in that code page alone.
void LogPathOf(const wchar_t* exePath, wchar_t (&logPath)[kLogPathCapacity]);

// The same for an executable's path in the ANSI code page, as AnsiPathOf gave it.
void LogPathOf(const char* exePath, char (&logPath)[kLogPathCapacity]);

// The file beside the log where the count of lines that could not be written to it waits:
// the log's path with "lost" in place of its "log" (zStartup_LT.lost).
const unsigned int kLostCountPathCapacity = kLogPathCapacity + 1;
void LostCountPathOf(const wchar_t (&logPath)[kLogPathCapacity], wchar_t (&lostPath)[kLostCountPathCapacity]);
void LostCountPathOf(const char (&logPath)[kLogPathCapacity], char (&lostPath)[kLostCountPathCapacity]);

#endif
