#include "helpers/filereading.h"

namespace {

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

UniqueFile Opened(HANDLE file, DWORD& error)
{
    error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    return UniqueFile(file);
}

}  // namespace

UniqueFile OpenForReading(const char* path, DWORD& error)
{
    return Opened(CreateFileA(path, GENERIC_READ, kShareAll, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL), error);
}

UniqueFile OpenForReading(const wchar_t* path, DWORD& error)
{
    return Opened(CreateFileW(path, GENERIC_READ, kShareAll, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL), error);
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
