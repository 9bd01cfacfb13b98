#include "lowtracessupport/logpath.h"

#include <windows.h>

#include "lowtracessupport/ansitext.h"
#include "lowtracessupport/modulepath.h"
#include "lowtracessupport/pathparts.h"

namespace {

const wchar_t kDefaultLogPath[] = L"default_LT.log";
const wchar_t kLogSuffix[] = L"_LT.log";

bool LogPathBeside(const wchar_t* exePath, wchar_t (&logPath)[kLogPathCapacity])
{
    if (exePath == NULL || lstrlenW(exePath) >= static_cast<int>(kLogPathCapacity)) return false;
    lstrcpyW(logPath, exePath);
    if (!ReplaceExtension(logPath, kLogPathCapacity, kLogSuffix)) return false;
    char text[kLogPathCapacity];
    return ToAnsiText(logPath, text, sizeof text) != AnsiForm::kTooLong;
}

}  // namespace

void LogPathOf(const wchar_t* exePath, wchar_t (&logPath)[kLogPathCapacity])
{
    if (!LogPathBeside(exePath, logPath)) lstrcpyW(logPath, kDefaultLogPath);
}

void LogPathOf(const char* exePath, char (&logPath)[kLogPathCapacity])
{
    wchar_t wideExe[kLongestPath];
    wchar_t wideLog[kLogPathCapacity];
    const bool read = exePath != NULL && FromAnsiText(exePath, wideExe, kLongestPath);
    LogPathOf(read ? wideExe : NULL, wideLog);
    ToAnsiText(wideLog, logPath, kLogPathCapacity);
}

void LostCountPathOf(const wchar_t (&logPath)[kLogPathCapacity], wchar_t (&lostPath)[kLostCountPathCapacity])
{
    // Every log path ends in "_LT.log".
    const int stem = lstrlenW(logPath) - 3;
    lstrcpynW(lostPath, logPath, stem + 1);
    lstrcatW(lostPath, L"lost");
}

void LostCountPathOf(const char (&logPath)[kLogPathCapacity], char (&lostPath)[kLostCountPathCapacity])
{
    // Every log path ends in "_LT.log", whose bytes are the same in every ANSI code page.
    const int stem = lstrlenA(logPath) - 3;
    lstrcpynA(lostPath, logPath, stem + 1);
    lstrcatA(lostPath, "lost");
}
