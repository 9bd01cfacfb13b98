#include "lowtracessupport/widepathfile.h"

namespace {

// The error of the call that just failed; a failure that set none still reads as one.
DWORD LastErrorOr(DWORD fallback)
{
    const DWORD error = GetLastError();
    return error != NO_ERROR ? error : fallback;
}

}  // namespace

WidePathFile::WidePathFile() : handle_(INVALID_HANDLE_VALUE), locked_(false) {}

WidePathFile::~WidePathFile() { Close(); }

DWORD WidePathFile::Open(const wchar_t* path, DWORD access, DWORD shareMode, DWORD disposition)
{
    Close();
    handle_ = CreateFileW(path, access, shareMode, NULL, disposition, FILE_ATTRIBUTE_NORMAL, NULL);
    return handle_ == INVALID_HANDLE_VALUE ? LastErrorOr(ERROR_OPEN_FAILED) : 0;
}

void WidePathFile::Close()
{
    if (handle_ == INVALID_HANDLE_VALUE) return;
    // Windows frees the locks of a closed handle only when it gets round to it; a program that
    // edits the file next must not meet them.
    if (locked_) {
        OVERLAPPED start = {};
        UnlockFileEx(handle_, 0, MAXDWORD, MAXDWORD, &start);
        locked_ = false;
    }
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

DWORD WidePathFile::Read(void* data, DWORD count, DWORD& got)
{
    got = 0;
    if (ReadFile(handle_, data, count, &got, NULL)) return 0;
    got = 0;
    return LastErrorOr(ERROR_READ_FAULT);
}

DWORD WidePathFile::Write(const void* data, DWORD count)
{
    DWORD written = 0;
    SetLastError(NO_ERROR);
    if (WriteFile(handle_, data, count, &written, NULL) && written == count) return 0;
    return LastErrorOr(ERROR_WRITE_FAULT);
}

DWORD WidePathFile::Rewrite(const void* data, DWORD count)
{
    if (SetFilePointer(handle_, 0, NULL, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return LastErrorOr(ERROR_SEEK);
    const DWORD error = Write(data, count);
    if (error != 0) return error;
    return SetEndOfFile(handle_) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
}

DWORD WidePathFile::LockAllShared()
{
    OVERLAPPED start = {};
    if (!LockFileEx(handle_, LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &start))
        return LastErrorOr(ERROR_LOCK_VIOLATION);
    locked_ = true;
    return 0;
}
