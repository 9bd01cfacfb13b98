#include "lowtracessupport/tracemessage.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "foundation/zfile.h"
#include "lowtracessupport/logpath.h"
#include "lowtracessupport/modulepath.h"

static void AppendLogLine(const char* message)
{
    char exePath[kLogPathCapacity];
    char logPath[kLogPathCapacity];
    const bool exePathRead = ReadModulePath(exePath, sizeof exePath) == PathReading::kRead;
    LogPathOf(exePathRead ? exePath : NULL, logPath);

    // Opened per line and without sharing: the line is on disk when the call returns, and two
    // writers at the same instant lose a line rather than interleave.
    ZFile file(logPath);
    file.Open(OPEN_ALWAYS);
    file.Seek(0, NULL, FILE_END);
    file.WriteString(message);
    file.WriteString("\r\n");
    file.Close();
}

void TraceMessage(int destination, const char* format, ...)
{
    char message[1024] = "";
    if (format != NULL) {
        va_list args;
        va_start(args, format);
        wvsprintfA(message, format, args);
        va_end(args);
    }

    if (destination == kTraceEverywhere || destination == kTraceOutputOnly) {
        std::printf("[LLT] %s\n", message);
        std::fflush(stdout);
    }
    if (destination == kTraceEverywhere || destination == kTraceLogOnly) AppendLogLine(message);
}
