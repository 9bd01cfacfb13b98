// ReadLastRun: the lines of the launcher's last run, read from the end of its trace log.
#ifndef ZSTARTUP_CHECKER_LASTRUN_LOGTAIL_H
#define ZSTARTUP_CHECKER_LASTRUN_LOGTAIL_H

#include <windows.h>

#include <string>
#include <vector>

struct LastRun {
    DWORD error;                     // 0 when the log could be read, else the open's or read's error
    bool found;                      // a "[zStartup] started" line is in the part read
    std::vector<std::string> lines;  // from the last "[zStartup] started" to the end, without CR LF
    FILETIME lastWrite;              // the log's last-write time (UTC)
};

// The most of a log that is read, from its end, looking for the last start: a launcher run writes
// a few kilobytes at most.
const DWORD kMaxLastRunBytes = 16 << 20;

// Opens the log for reading only, sharing it with the launcher and anyone else, and reads it
// backwards from its end until the last line that is exactly "[zStartup] started". A last line
// still being written (no CR LF yet) is taken as it is.
LastRun ReadLastRun(const char* logPath);

#endif
