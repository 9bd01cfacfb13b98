// Reading files that others may be writing: the service list, the log, a task definition.
#ifndef ZSTARTUP_HELPERS_FILEREADING_H
#define ZSTARTUP_HELPERS_FILEREADING_H

#include <windows.h>

#include "helpers/uniqueany.h"

// The share mode of a reader: an editor or the launcher holding the file must not make it
// unreadable, and the reader must never stand in their way.
const DWORD kShareWithEveryone = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens path for reading only, sharing it with every other opener (kShareWithEveryone). An
// empty owner, with error set, when it cannot be opened; error 0 otherwise.
UniqueFile OpenForReading(const char* path, DWORD& error);
UniqueFile OpenForReading(const wchar_t* path, DWORD& error);

// Reads count bytes at offset of file into bytes: 0 when all of them were read, else the
// error (ERROR_HANDLE_EOF when the file ends before).
DWORD ReadAt(HANDLE file, ULONGLONG offset, void* bytes, DWORD count);

// Up to capacity bytes from the start of the file at path (opened as OpenForReading does),
// fewer when it is shorter: 0, with count set, or the error of the open or of the read (count
// then 0).
DWORD ReadFileStart(const char* path, char* bytes, DWORD capacity, DWORD& count);

#endif
