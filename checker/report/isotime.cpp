#include "checker/report/isotime.h"

#include <cstdio>
#include <cstdlib>

namespace {

const LONGLONG kTicksPerMinute = 600000000;

LONGLONG Ticks(const SYSTEMTIME& time)
{
    FILETIME file;
    if (!SystemTimeToFileTime(&time, &file)) return 0;
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime);
}

}  // namespace

std::string IsoTime(const SYSTEMTIME& local, long offsetMinutes)
{
    const long offset = std::labs(offsetMinutes);
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u%c%02ld:%02ld", local.wYear, local.wMonth,
                  local.wDay, local.wHour, local.wMinute, local.wSecond, offsetMinutes < 0 ? '-' : '+', offset / 60,
                  offset % 60);
    return text;
}

std::string TimeText(const FILETIME& utc)
{
    const std::string iso = IsoLocalTime(utc);
    return iso.empty() ? "(a time that cannot be shown)" : iso;
}

std::string IsoLocalTime(const FILETIME& utc)
{
    SYSTEMTIME universal;
    SYSTEMTIME local;
    // Unlike FileTimeToLocalFileTime, which applies today's offset to every date.
    if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(NULL, &universal, &local))
        return std::string();
    universal.wMilliseconds = 0;
    local.wMilliseconds = 0;
    return IsoTime(local, static_cast<long>((Ticks(local) - Ticks(universal)) / kTicksPerMinute));
}
