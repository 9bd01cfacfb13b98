#include "lowtracessupport/modulepathwithsuffix.h"

#include <windows.h>

// Index of the file name's extension dot, or length when the file name has none.
static unsigned int ExtensionStart(const char* path, unsigned int length)
{
    for (unsigned int i = length; i > 0; --i) {
        if (path[i - 1] == '\\') break;
        if (path[i - 1] == '.') return i - 1;
    }
    return length;
}

static bool Fail(char* path)
{
    path[0] = '\0';
    return false;
}

bool ModulePathWithSuffix(char* path, unsigned int capacity, const char* suffix)
{
    // A result equal to the capacity means the path was cut (and, on older systems, left
    // without a terminator).
    const DWORD length = GetModuleFileNameA(NULL, path, capacity);
    if (length == 0 || length >= capacity) return Fail(path);

    const unsigned int cut = ExtensionStart(path, length);
    if (static_cast<unsigned int>(lstrlenA(suffix)) >= capacity - cut) return Fail(path);
    lstrcpyA(path + cut, suffix);
    return true;
}
