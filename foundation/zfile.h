// ZFile: owner of one Win32 file handle, its name and the three CreateFileA values
// (access, share mode, flags and attributes).
//
// Results are the platform's, passed straight back: error-code operations give 0 or the
// GetLastError value read right after the failing call; byte-count operations give the
// transferred count, 0 on failure; Flush and Seek pass the platform's value through.
// Nothing is buffered or cached, nothing printed or retried. Operations on the handle are
// not guarded: on a closed object they reach the platform with INVALID_HANDLE_VALUE and
// return its failure. Every operation is virtual, in a fixed slot order, and the class calls
// its own operations through the table.
#ifndef ZSTARTUP_FOUNDATION_ZFILE_H
#define ZSTARTUP_FOUNDATION_ZFILE_H

#include <windows.h>

#include <cstdarg>

#include "foundation/zstring.h"

class ZFile {
public:
    // Closed; read and write access, no sharing, normal attributes; a copy of fileName (null
    // leaves the name without a buffer). Opens nothing.
    explicit ZFile(const char* fileName);

    // Slot 0. Stores the three values and marks the object closed (an open handle is closed
    // first, so it never leaks).
    virtual void Init(DWORD access, DWORD shareMode, DWORD attributes);
    // Slot 1. Bytes a printf-style format with its arguments produces, terminator included;
    // 0 for a null format. Reads a copy of args.
    virtual int EstimateFormattedLength(const char* format, va_list args);
    // Slot 2. Closes the handle.
    virtual ~ZFile();
    // Slot 3.
    virtual HANDLE GetHandle();
    // Slot 4. Copies name (null clears); allowed while open.
    virtual void SetName(const char* name);
    // Slot 5. The stored name; null when it has no buffer.
    virtual const char* GetName();
    // Slots 6-11. Setters refuse (false, nothing stored) while the object is open.
    virtual bool SetAttributes(DWORD value);
    virtual DWORD GetAttributes();
    virtual bool SetShareMode(DWORD value);
    virtual DWORD GetShareMode();
    virtual bool SetAccess(DWORD value);
    virtual DWORD GetAccess();
    // Slot 12. Closes, then CreateFileA with the creation disposition; 0 or the error code.
    virtual DWORD Open(DWORD creationDisposition);
    // Slot 13. Closes the handle if open; always ends closed.
    virtual void Close();
    // Slot 14. 1 when open, else 0.
    virtual int IsOpen();
    // Slot 15. WriteFile; bytes written, 0 on failure.
    virtual DWORD Write(const void* data, DWORD count);
    // Slot 16. The text without its terminator (null writes 0 bytes); bytes written.
    virtual DWORD WriteString(const char* text);
    // Slot 17. Formats and writes the whole formatted text; 87 for a null format, otherwise
    // the bytes written (0 when the write failed).
    virtual int WriteFormatted(const char* format, ...);
    // Slots 18-20. The low 4, 2 or 1 bytes of value, least significant first.
    virtual DWORD WriteInt32(int value);
    virtual DWORD WriteInt16(short value);
    virtual DWORD WriteInt8(char value);
    // Slot 21. ReadFile; bytes read, 0 on failure or at the end of the file.
    virtual DWORD Read(void* data, DWORD count);
    // Slots 22-24. Zero the destination, then read up to 4, 2 or 1 bytes into its low end.
    virtual DWORD ReadInt32(int* value);
    virtual DWORD ReadInt16(short* value);
    virtual DWORD ReadInt8(char* value);
    // Slot 25. DeleteFileA on the name; the handle is left as it is.
    virtual DWORD Remove();
    // Slot 26. CopyFileA from the name to newName; the object keeps its name.
    virtual DWORD CopyTo(const char* newName, bool failIfExists);
    // Slot 27. MoveFileA; on success the object takes newName, on failure keeps its name.
    virtual DWORD MoveTo(const char* newName);
    // Slots 28-29. GetFileTime / SetFileTime; any pointer may be null.
    virtual DWORD GetTime(FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite);
    virtual DWORD SetTime(const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite);
    // Slot 30. FlushFileBuffers; nonzero on success.
    virtual BOOL Flush();
    // Slot 31. SetFilePointer; the new low 32 bits, INVALID_SET_FILE_POINTER on failure.
    virtual DWORD Seek(LONG distance, LONG* distanceHigh, DWORD moveMethod);

    ZFile(const ZFile&) = delete;             // owns a handle
    ZFile& operator=(const ZFile&) = delete;  // owns a handle

private:
    HANDLE handle;
    ZString name;
    DWORD attributes;
    DWORD shareMode;
    DWORD access;
};

#endif
