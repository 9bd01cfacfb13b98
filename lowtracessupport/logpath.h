// LogPathOf: where the trace log of an executable goes.
#ifndef ZSTARTUP_LOWTRACESSUPPORT_LOGPATH_H
#define ZSTARTUP_LOWTRACESSUPPORT_LOGPATH_H

const unsigned int kLogPathCapacity = 256;  // characters, terminator included

// The executable's path with its extension replaced by "_LT.log"; "default_LT.log" (in the
// current directory) when exePath is null or the result does not fit kLogPathCapacity.
void LogPathOf(const char* exePath, char (&logPath)[kLogPathCapacity]);

#endif
