#include "lowtracessupport/pathparts.h"

#include <windows.h>

char* LastSeparator(char* path)
{
    char* last = NULL;
    for (char* p = path; *p != '\0'; p = CharNextA(p)) {
        if (*p == '\\') last = p;
    }
    return last;
}

bool CutToFolder(char* path)
{
    char* lastBackslash = LastSeparator(path);
    if (lastBackslash == NULL) return false;
    const bool driveRoot = lastBackslash - path == 2 && path[1] == ':';
    lastBackslash[driveRoot ? 1 : 0] = '\0';
    return true;
}

bool ReplaceExtension(char* path, unsigned int capacity, const char* suffix)
{
    char* dot = NULL;
    char* end = path;
    for (; *end != '\0'; end = CharNextA(end)) {
        if (*end == '\\') dot = NULL;
        if (*end == '.') dot = end;
    }
    char* cut = dot != NULL ? dot : end;
    const unsigned int kept = static_cast<unsigned int>(cut - path);
    if (static_cast<unsigned int>(lstrlenA(suffix)) >= capacity - kept) return false;
    lstrcpyA(cut, suffix);
    return true;
}
