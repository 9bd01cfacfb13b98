// LostLineCount: the count of log lines that could not be written, kept in a small file beside
// the log (LostCountPathOf) until a line reaches the log and carries it there. A process that
// ends with lines lost would otherwise take their count with it; the file outlives the run.
#ifndef ZSTARTUP_LOWTRACESSUPPORT_LOSTLINECOUNT_H
#define ZSTARTUP_LOWTRACESSUPPORT_LOSTLINECOUNT_H

#include <windows.h>

#include "lowtracessupport/logfile.h"
#include "lowtracessupport/widepathfile.h"

// Whether a count waits at path: the file exists and is not empty.
bool LostLinesWaiting(const wchar_t* path);

// The count file, held sharing nothing while the object lives, so that two launchers never
// both take or add to the same count.
class LostLineCount {
public:
    LostLineCount();  // not open, Value 0

    // Opens the file at path (creating it when create is set), waiting out a hold within the
    // budget of wait, and reads its count. Not open when that fails (IsOpen false, Value 0).
    void Open(const wchar_t* path, bool create, LogWait& wait);

    bool IsOpen() const { return file_.IsOpen(); }
    // The count the file held when opened: its decimal digits, at most 10 and at most
    // 4294967295; anything else (another program's bytes) counts 0.
    DWORD Value() const { return value_; }
    // Replaces the count; 0 leaves the file empty. True when written.
    bool Store(DWORD count);

    LostLineCount(const LostLineCount&) = delete;             // holds the file
    LostLineCount& operator=(const LostLineCount&) = delete;  // holds the file

private:
    WidePathFile file_;
    DWORD value_;
};

// a + b, or the largest count when that does not fit.
DWORD AddCounts(DWORD a, DWORD b);

#endif
