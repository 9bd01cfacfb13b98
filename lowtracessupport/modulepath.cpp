#include "lowtracessupport/modulepath.h"

#include <windows.h>

#include <cstring>

namespace {

PathReading Fail(char* path, PathReading reading)
{
    path[0] = '\0';
    return reading;
}

}  // namespace

PathReading AnsiPathOf(const wchar_t* widePath, char* path, unsigned int capacity)
{
    // UTF-8 as the ANSI code page holds every character, and refuses both the flag and the
    // used-default report.
    const bool utf8 = GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    const int written = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, widePath, -1, path,
                                            static_cast<int>(capacity), NULL, utf8 ? NULL : &usedDefault);
    if (written == 0) return Fail(path, PathReading::kUnavailable);
    if (usedDefault) return Fail(path, PathReading::kNotRepresentable);
    return PathReading::kRead;
}

PathReading ReadModulePath(char* path, unsigned int capacity)
{
    // A result equal to the capacity means the path was cut (and, on older systems, left
    // without a terminator).
    const DWORD length = GetModuleFileNameA(NULL, path, capacity);
    if (length == 0 || length >= capacity) return Fail(path, PathReading::kUnavailable);

    wchar_t widePath[kWideCapacity];
    const DWORD wideLength = GetModuleFileNameW(NULL, widePath, kWideCapacity);
    if (wideLength == 0 || wideLength >= kWideCapacity) return Fail(path, PathReading::kUnavailable);

    char exact[kWideCapacity];
    const PathReading reading = AnsiPathOf(widePath, exact, sizeof exact);
    if (reading != PathReading::kRead) return Fail(path, reading);
    // A best-fit conversion by the A call differs from the exact one.
    if (std::strcmp(exact, path) != 0) return Fail(path, PathReading::kNotRepresentable);
    return PathReading::kRead;
}
