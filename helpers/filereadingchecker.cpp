#include "helpers/filereading.h"

// The checker's part, in an object of its own: in a PE program one .eh_frame keeps every
// function of an object that is linked, and the launcher's size is budgeted.

UniqueFile OpenForReading(const wchar_t* path, DWORD& error)
{
    UniqueFile file(
        CreateFileW(path, GENERIC_READ, kShareWithEveryone, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
    error = file ? 0 : GetLastError();
    return file;
}

DWORD ReadAt(HANDLE file, ULONGLONG offset, void* bytes, DWORD count)
{
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    if (!ReadFile(file, bytes, count, &read, &at)) return GetLastError();
    return read == count ? 0 : ERROR_HANDLE_EOF;
}
