// WidePathFile: owner of one file handle opened by a UTF-16 path. ZFile takes its name in the
// ANSI code page, which cannot name a file in a folder such as C:\показ on a Western system.
#ifndef ZSTARTUP_LOWTRACESSUPPORT_WIDEPATHFILE_H
#define ZSTARTUP_LOWTRACESSUPPORT_WIDEPATHFILE_H

#include <windows.h>

class WidePathFile {
public:
    WidePathFile();  // closed
    ~WidePathFile();

    // Closes, then CreateFileW (not inheritable, normal attributes). 0, or the error of the open.
    DWORD Open(const wchar_t* path, DWORD access, DWORD shareMode, DWORD disposition);
    // Releases the lock LockAllShared took, then closes the handle. Always ends closed.
    void Close();
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    // ReadFile of up to count bytes: 0, with got set, or the error (got 0).
    DWORD Read(void* data, DWORD count, DWORD& got);
    // One WriteFile of count bytes: 0 when all were written, else the error (ERROR_WRITE_FAULT
    // for a short write that gave none).
    DWORD Write(const void* data, DWORD count);
    // Moves to the start, writes count bytes and ends the file there: 0 or the error.
    DWORD Rewrite(const void* data, DWORD count);
    // A shared lock over every byte the file has or may have, failing at once: 0, or the error
    // (ERROR_LOCK_VIOLATION, 33, when another handle holds an exclusive lock on any part).
    // While it is held no other handle can lock any part exclusively, and nobody can write.
    DWORD LockAllShared();

    WidePathFile(const WidePathFile&) = delete;             // owns a handle
    WidePathFile& operator=(const WidePathFile&) = delete;  // owns a handle

private:
    HANDLE handle_;
    bool locked_;
};

#endif
