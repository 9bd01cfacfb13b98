// WindowsStarted: when Windows last started, for the question whether the launcher has run
// since. A Fast Startup power-on counts as a start: Windows then resumes its kernel from the
// hibernation file instead of booting, and the tick count (GetTickCount64) runs on across it,
// so the tick count alone dates the start back to the last full boot.
#ifndef ZSTARTUP_CHECKER_LASTRUN_WINDOWSSTART_H
#define ZSTARTUP_CHECKER_LASTRUN_WINDOWSSTART_H

#include <windows.h>

// The later of the last full boot (now less the tick count) and the newest start the System
// event log records from the boot loader: the Microsoft-Windows-Kernel-Boot event 27 ("The boot
// type was ..."), which a cold boot (type 0) and a Fast Startup power-on (type 1) write and a
// wake from sleep does not; a resume from a hibernation the user chose (type 2) is not a start.
// Where the log cannot be read (no rights, no event log service, Wine), the full boot. UTC.
FILETIME WindowsStarted();

// time as one number of 100 ns units since 1601, for comparing times.
ULONGLONG Ticks(const FILETIME& time);

// The decision, on times in 100 ns units since 1601 (FILETIME's): the later of now less
// sinceBootMs and loaderStart; a loaderStart of 0, or one after now, is not known.
ULONGLONG LaterStart(ULONGLONG now, ULONGLONG sinceBootMs, ULONGLONG loaderStart);

#endif
