#include "lowtracessupport/pathparts.h"

#include <windows.h>

namespace {

// Cuts path at separator, keeping it after a drive letter and its colon.
template <typename Char>
void CutAt(Char* path, Char* separator)
{
    const bool driveRoot = separator - path == 2 && path[1] == ':';
    separator[driveRoot ? 1 : 0] = 0;
}

}  // namespace

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
    CutAt(path, lastBackslash);
    return true;
}

bool CutToFolder(wchar_t* path)
{
    wchar_t* lastBackslash = wcsrchr(path, L'\\');
    if (lastBackslash == NULL) return false;
    CutAt(path, lastBackslash);
    return true;
}

bool ReplaceExtension(wchar_t* path, unsigned int capacity, const wchar_t* suffix)
{
    wchar_t* dot = NULL;
    wchar_t* end = path;
    for (; *end != L'\0'; ++end) {
        if (*end == L'\\') dot = NULL;
        if (*end == L'.') dot = end;
    }
    wchar_t* cut = dot != NULL ? dot : end;
    const unsigned int kept = static_cast<unsigned int>(cut - path);
    if (static_cast<unsigned int>(lstrlenW(suffix)) >= capacity - kept) return false;
    lstrcpyW(cut, suffix);
    return true;
}
