// LauncherTarget: the launcher to check and the paths its run will use, derived by the
// launcher's own rules.
#ifndef ZSTARTUP_CHECKER_LAUNCHERTARGET_H
#define ZSTARTUP_CHECKER_LAUNCHERTARGET_H

#include <windows.h>

#include <string>

#include "lowtracessupport/logpath.h"
#include "lowtracessupport/modulepath.h"
#include "runrules/runpaths.h"

struct LauncherTarget {
    std::wstring widePath;               // the full path
    std::string displayPath;             // the same in UTF-8, for reports
    char path[sizeof(RunPaths::batch)];  // as the launcher reads its own path; "" unless kRead
    PathReading reading;
    RunPaths paths;
    char logPath[kLogPathCapacity];
};

// Resolves argument (a path, relative to the current folder; null for zStartup.exe beside the
// checker) and derives the paths. False, with why set, when it names no file, or when there is
// no argument and the checker cannot read its own path (then displayPath is "zStartup.exe"
// and widePath empty): no other launcher is ever taken in its place.
bool ResolveLauncher(const wchar_t* argument, LauncherTarget& target, std::string& why);

// path made full against the current folder; path itself when that fails or is too long.
std::wstring FullPathOf(const std::wstring& path);

// Whether target's launcher logs to default_LT.log (its path too long, or not in the ANSI code
// page): in its own current folder, its scheduled task's working folder, which the checker
// cannot know.
bool LogsInItsCurrentFolder(const LauncherTarget& target);

// The full path of the log target's launcher writes; default_LT.log as it is when
// LogsInItsCurrentFolder.
std::string LogFullPath(const LauncherTarget& target);

// zStartup.exe in the folder of self, this program's path as GetModuleFileNameW gave it
// (length characters written to a buffer of capacity); "" when the path was not read whole
// (length 0, or capacity or more) or has no folder.
std::wstring LauncherBeside(const wchar_t* self, DWORD length, DWORD capacity);

#endif
