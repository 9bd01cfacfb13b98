// ReadLastRun: the lines of the launcher's last run, read from the end of its trace log.
#ifndef ZSTARTUP_CHECKER_LASTRUN_LOGTAIL_H
#define ZSTARTUP_CHECKER_LASTRUN_LOGTAIL_H

#include <windows.h>

#include <string>
#include <vector>

struct LastRun {
    DWORD error = 0;                 // 0 when the log could be read, else the open's or read's error
    bool found = false;              // a start of a run is in the part read
    std::vector<std::string> lines;  // from the last start to the end, without CR LF, each Bounded
    size_t linesLeftOut = 0;         // lines after the first kMaxLines, not in lines
    bool cutLineBefore = false;      // the start followed a line the run before it never ended
    std::string cutLine;             // that line's text, Bounded
    bool lastLineUnended = false;    // the log's last line has no CR LF: cut short, or being written
    FILETIME lastWrite = {};         // the log's last-write time (UTC)
};

// The most of a log that is read, from its end, looking for the last start: a launcher run writes
// a few kilobytes at most.
const DWORD kMaxLastRunBytes = 16 << 20;
// What one line may bring into a report, and how many lines: a damaged or hostile log must not
// make the report, or the memory it takes, grow with it. A launcher run writes 28 lines at most.
// A line is Bounded: cut where it would take more than kMaxLineBytes in a report (a control or
// non-ASCII byte counting as the six of its JSON escape) and marked " [... N more bytes]".
const size_t kMaxLineBytes = 4096;
const size_t kMaxLines = 500;

// Opens the log for reading only, sharing it with the launcher and anyone else, and reads it
// backwards from its end until the last start of a run: "[zStartup] started" followed by CR LF
// (or by the end of the log, while it is being written), at the start of a line or right after
// a line that was never ended (a power cut leaves a line cut short, often padded with NUL bytes,
// and the next start is appended to it). A whole service line whose service is named so, such as
// "[zStartup] Error stopping service [zStartup] started", is no start.
LastRun ReadLastRun(const char* logPath);

#endif
