// How the trace log is opened: the launcher appends with it, and the checker tests it.
#ifndef ZSTARTUP_LOWTRACESSUPPORT_LOGFILE_H
#define ZSTARTUP_LOWTRACESSUPPORT_LOGFILE_H

#include <windows.h>

#include "foundation/zfile.h"

// Append only: every write goes to the end of the file as one piece (Windows for a handle
// without FILE_WRITE_DATA, O_APPEND under Wine), so lines of launchers writing at once never
// interleave, and the handle may be kept for the whole run. Shared with readers and with other
// writers: log viewers follow the log with read access, sharing read and write, and other
// launchers append beside. While a launcher keeps it, no program can take the log with an open
// that refuses write sharing.
const DWORD kLogAccess = FILE_APPEND_DATA;
const DWORD kLogShareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;
// How long a run waits, in all, for a log that a program refusing write sharing holds, or
// has locked a part of: a few short, growing pauses, then lines are lost from the file.
const DWORD kLogWaitMs = 500;

// Whether error says that another handle holds the log: a sharing violation (32) from the
// open, or a lock violation (33) from the open or from a write into a range that another
// handle has locked.
bool LogHeldByAnother(DWORD error);

// The pauses of one wait for a held log, taken from a budget of milliseconds that later
// waits share: once it is spent, each attempt is made once and not repeated.
class LogWait {
public:
    // budgetMs is read now and lowered, by the time this wait has taken, at each pause.
    explicit LogWait(DWORD& budgetMs);

    // After an attempt that failed with error: when error is a hold (LogHeldByAnother) and
    // budget is left, pauses (1 ms, then doubling up to 64 ms, never past the budget) and
    // returns true, for the caller to try again. Otherwise false, at once.
    bool PauseAfter(DWORD error);

    LogWait(const LogWait&) = delete;             // lowers the caller's budget
    LogWait& operator=(const LogWait&) = delete;  // lowers the caller's budget

private:
    DWORD& budgetMs;
    const DWORD initialBudgetMs;
    const DWORD start;
    DWORD pauseMs;
};

// Sets file (named after the log) to the access and share mode above and opens it with
// disposition, retrying a sharing or lock violation for up to kLogWaitMs. 0, or the error of
// the last attempt.
DWORD OpenLogFile(ZFile& file, DWORD disposition);

#endif
