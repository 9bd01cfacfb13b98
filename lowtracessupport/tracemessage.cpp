#include "lowtracessupport/tracemessage.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "foundation/zfile.h"
#include "lowtracessupport/logfile.h"
#include "lowtracessupport/logpath.h"
#include "lowtracessupport/modulepath.h"

static void AppendLogLine(const char* message)
{
    char exePath[kLogPathCapacity];
    char logPath[kLogPathCapacity];
    const bool exePathRead = ReadModulePath(exePath, sizeof exePath) == PathReading::kRead;
    LogPathOf(exePathRead ? exePath : NULL, logPath);

    // Opened per line: the line is on disk when the call returns.
    ZFile file(logPath);
    if (OpenLogFile(file, OPEN_ALWAYS) != 0) return;
    // With the high part, so that a log past 4 GiB is appended to; a failed move would leave
    // the line to overwrite the log's start.
    LONG high = 0;
    SetLastError(NO_ERROR);
    if (file.Seek(0, &high, FILE_END) == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return;
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
