// ISO 8601 times for reports that machines read: local time with its offset from UTC, as
// "2026-12-09T07:41:02+01:00".
#ifndef ZSTARTUP_CHECKER_REPORT_ISOTIME_H
#define ZSTARTUP_CHECKER_REPORT_ISOTIME_H

#include <windows.h>

#include <string>

// utc in the time zone this process runs in, with the offset that zone had at that moment (its
// daylight saving rules for that year). "" when the time cannot be converted.
std::string IsoLocalTime(const FILETIME& utc);

// IsoLocalTime(utc) for a message: "(a time that cannot be shown)" when it cannot be converted.
std::string TimeText(const FILETIME& utc);

// local with offsetMinutes (local less UTC, east positive), seconds whole.
std::string IsoTime(const SYSTEMTIME& local, long offsetMinutes);

#endif
