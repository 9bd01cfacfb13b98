#include "lowtracessupport/tracemessage.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "foundation/zfile.h"
#include "lowtracessupport/logfile.h"
#include "lowtracessupport/logpath.h"
#include "lowtracessupport/modulepath.h"

namespace {

const int kMessageCapacity = 1024;  // wvsprintfA's limit, terminator included
const char kLostLinesFormat[] = "[zStartup] Warning: %lu lines could not be written to the log\r\n";
// The warning's longest form, the message and its CR LF.
const int kLogTextCapacity = sizeof kLostLinesFormat + 10 + kMessageCapacity + 2;

// What the log lines of this process have in common; the launcher is one process per run.
struct LogRun {
    DWORD waitLeftMs;  // of the one budget for waiting on a held log
    DWORD linesLost;   // since the last line that reached the log
};

LogRun g_logRun = {kLogWaitMs, 0};

// The warning about lost lines, when there are any, then the message and its CR LF, for one
// write. Copied, not formatted: wvsprintfA would cut a message of 1023 characters.
int LogText(const char* message, char (&text)[kLogTextCapacity])
{
    int length = g_logRun.linesLost == 0 ? 0 : wsprintfA(text, kLostLinesFormat, g_logRun.linesLost);
    const int messageLength = lstrlenA(message);
    CopyMemory(text + length, message, messageLength);
    length += messageLength;
    text[length++] = '\r';
    text[length++] = '\n';
    return length;
}

// With the high part, so that a log past 4 GiB is appended to; a failed move would leave the
// text to overwrite the log's start. 0 or the error of the move or the write.
DWORD WriteAtEnd(ZFile& file, const char* text, int length)
{
    LONG high = 0;
    SetLastError(NO_ERROR);
    if (file.Seek(0, &high, FILE_END) == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return GetLastError();
    if (file.Write(text, static_cast<DWORD>(length)) == static_cast<DWORD>(length)) return 0;
    const DWORD error = GetLastError();
    return error != NO_ERROR ? error : ERROR_WRITE_FAULT;
}

// True when the text reached the log. A hold, at the open or at the write, is waited out
// only while the run's budget lasts.
bool AppendToLog(const char* logPath, const char* text, int length)
{
    // Opened per line: the line is on disk when the call returns.
    ZFile file(logPath);
    file.Init(kLogAccess, kLogShareMode, FILE_ATTRIBUTE_NORMAL);
    LogWait wait(g_logRun.waitLeftMs);
    for (;;) {
        DWORD error = file.Open(OPEN_ALWAYS);
        if (error == 0) error = WriteAtEnd(file, text, length);
        if (error == 0) return true;
        file.Close();
        if (!wait.PauseAfter(error)) return false;
    }
}

void AppendLogLine(const char* message)
{
    char exePath[kLogPathCapacity];
    char logPath[kLogPathCapacity];
    const bool exePathRead = ReadModulePath(exePath, sizeof exePath) == PathReading::kRead;
    LogPathOf(exePathRead ? exePath : NULL, logPath);

    char text[kLogTextCapacity];
    const int length = LogText(message, text);
    if (AppendToLog(logPath, text, length))
        g_logRun.linesLost = 0;
    else
        ++g_logRun.linesLost;
}

}  // namespace

void TraceMessage(int destination, const char* format, ...)
{
    char message[kMessageCapacity] = "";
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
