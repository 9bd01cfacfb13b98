// How the trace log is opened: the launcher appends with it, and the checker tests it.
#ifndef ZSTARTUP_LOWTRACESSUPPORT_LOGFILE_H
#define ZSTARTUP_LOWTRACESSUPPORT_LOGFILE_H

#include <windows.h>

#include "foundation/zfile.h"

// Readers may keep the log open (log viewers follow it with read access, sharing read and
// write); writers are kept exclusive, so that two lines never interleave.
const DWORD kLogAccess = GENERIC_WRITE;
const DWORD kLogShareMode = FILE_SHARE_READ;
// How long one line waits for a log that another writer, or a program that shares nothing,
// holds: a few short, growing pauses, then the line is lost from the file.
const DWORD kLogWaitMs = 500;

// Sets file (named after the log) to the access and share mode above and opens it with
// disposition, retrying a sharing or lock violation for up to kLogWaitMs. 0, or the error of
// the last attempt.
DWORD OpenLogFile(ZFile& file, DWORD disposition);

#endif
