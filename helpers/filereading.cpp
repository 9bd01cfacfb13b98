#include "helpers/filereading.h"

// What the launcher links; the rest is in filereadingchecker.cpp.

UniqueFile OpenForReading(const char* path, DWORD& error)
{
    UniqueFile file(
        CreateFileA(path, GENERIC_READ, kShareWithEveryone, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
    error = file ? 0 : GetLastError();
    return file;
}

DWORD ReadFileStart(const char* path, char* bytes, DWORD capacity, DWORD& count)
{
    count = 0;
    DWORD error = 0;
    const UniqueFile file = OpenForReading(path, error);
    if (!file) return error;
    if (!ReadFile(file.Get(), bytes, capacity, &count, NULL)) {
        error = GetLastError();
        count = 0;
    }
    return error;
}
