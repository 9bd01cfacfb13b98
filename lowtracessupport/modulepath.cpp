#include "lowtracessupport/modulepath.h"

#include <windows.h>

#include "lowtracessupport/ansitext.h"

PathReading AnsiPathOf(const wchar_t* widePath, char* path, unsigned int capacity)
{
    switch (ToAnsiText(widePath, path, capacity)) {
    case AnsiForm::kExact:
        return PathReading::kRead;
    case AnsiForm::kInexact:
        path[0] = '\0';
        return PathReading::kNotRepresentable;
    case AnsiForm::kTooLong:
        break;
    }
    return PathReading::kUnavailable;
}

bool ReadModulePath(wchar_t (&path)[kLongestPath])
{
    // A result equal to the capacity means the path was cut (and, on older systems, left
    // without a terminator).
    const DWORD length = GetModuleFileNameW(NULL, path, kLongestPath);
    if (length != 0 && length < kLongestPath) return true;
    path[0] = L'\0';
    return false;
}
