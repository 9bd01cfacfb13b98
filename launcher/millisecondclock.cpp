#include "launcher/millisecondclock.h"

#include "helpers/procaddress.h"

static const char kWinmmName[] = "winmm.dll";

static HMODULE LoadWinmmFromSystemDirectory()
{
    HMODULE module = LoadLibraryExA(kWinmmName, NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module != NULL) return module;

    // Systems without the search flags refuse them: name the file by its full path instead,
    // and let its own imports resolve from its folder too.
    char path[MAX_PATH + 1];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + sizeof kWinmmName > sizeof path) return NULL;
    path[length] = '\\';
    lstrcpyA(path + length + 1, kWinmmName);
    return LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

MillisecondClock::MillisecondClock() : winmm(LoadWinmmFromSystemDirectory()), clock(GetTickCount)
{
    const ClockFunction multimediaClock = ProcAddress<ClockFunction>(winmm, "timeGetTime");
    if (multimediaClock != NULL) clock = multimediaClock;
}

MillisecondClock::~MillisecondClock()
{
    if (winmm != NULL) FreeLibrary(winmm);
}

DWORD MillisecondClock::Now() const { return clock(); }
