#include "lowtracessupport/tracemessage.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "lowtracessupport/logfile.h"
#include "lowtracessupport/logpath.h"
#include "lowtracessupport/lostlinecount.h"
#include "lowtracessupport/modulepath.h"
#include "lowtracessupport/widepathfile.h"

namespace {

const int kMessageCapacity = 1024;  // wvsprintfA's limit, terminator included
const char kLostLinesFormat[] = "[zStartup] Warning: %lu lines could not be written to the log\r\n";
// The warning's longest form, the message and its CR LF.
const int kLogTextCapacity = sizeof kLostLinesFormat + 10 + kMessageCapacity + 2;

// The log of this process, named at its first line and, once opened, kept open to the end: the
// launcher is one process per run.
struct LogRun {
    LogRun() : waitLeftMs(kLogWaitMs), linesLost(0)
    {
        wchar_t exePath[kLongestPath];
        LogPathOf(ReadModulePath(exePath) ? exePath : NULL, path);
        LostCountPathOf(path, lostCountPath);
    }

    wchar_t path[kLogPathCapacity];
    wchar_t lostCountPath[kLostCountPathCapacity];
    WidePathFile file;
    DWORD waitLeftMs;  // of the one budget for waiting on a held log
    DWORD linesLost;   // not yet in the log, nor in the count beside it
};

LogRun& ThisRunsLog()
{
    static LogRun log;
    return log;
}

// The warning about lost lines, when there are any, then the message and its CR LF, for one
// write. Copied, not formatted: wvsprintfA would cut a message of 1023 characters.
int LogText(DWORD linesLost, const char* message, char (&text)[kLogTextCapacity])
{
    int length = linesLost == 0 ? 0 : wsprintfA(text, kLostLinesFormat, linesLost);
    const int messageLength = lstrlenA(message);
    CopyMemory(text + length, message, messageLength);
    length += messageLength;
    text[length++] = '\r';
    text[length++] = '\n';
    return length;
}

bool OpenLog(LogRun& log, LogWait& wait)
{
    while (!log.file.IsOpen()) {
        const DWORD error = log.file.Open(log.path, kLogAccess, kLogShareMode, OPEN_ALWAYS);
        if (error != 0 && !wait.PauseAfter(error)) return false;
    }
    return true;
}

// True when the message reached the log, after the count of the lines lost before it: this
// run's, and those an earlier run left beside the log.
bool WriteLine(LogRun& log, const char* message, LogWait& wait)
{
    if (!OpenLog(log, wait)) return false;
    LostLineCount waiting;
    if (LostLinesWaiting(log.lostCountPath)) waiting.Open(log.lostCountPath, false, wait);
    char text[kLogTextCapacity];
    const int length = LogText(AddCounts(waiting.Value(), log.linesLost), message, text);
    for (;;) {
        const DWORD error = log.file.Write(text, static_cast<DWORD>(length));
        if (error == 0) break;
        if (!wait.PauseAfter(error)) return false;
    }
    log.linesLost = 0;
    if (waiting.IsOpen()) waiting.Store(0);
    return true;
}

// Moves this run's lost lines into the count beside the log; while that file is held they
// stay with the process, for its next line.
void KeepLostLines(LogRun& log, LogWait& wait)
{
    LostLineCount count;
    count.Open(log.lostCountPath, true, wait);
    if (count.IsOpen() && count.Store(AddCounts(count.Value(), log.linesLost))) log.linesLost = 0;
}

void AppendLogLine(const char* message)
{
    LogRun& log = ThisRunsLog();
    LogWait wait(log.waitLeftMs);
    if (WriteLine(log, message, wait)) return;
    log.linesLost = AddCounts(log.linesLost, 1);
    KeepLostLines(log, wait);
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
