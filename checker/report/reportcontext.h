// ReportContext: what a report for machines says besides the findings: which checker, on which
// computer and when, which launcher and its log.
#ifndef ZSTARTUP_CHECKER_REPORT_REPORTCONTEXT_H
#define ZSTARTUP_CHECKER_REPORT_REPORTCONTEXT_H

#include <windows.h>

#include <string>

#include "checker/launchertarget.h"

enum class CheckMode { kPlan, kLastRun };

struct ReportContext {
    CheckMode mode = CheckMode::kPlan;
    std::string checkerVersion;  // "1.0.0.1": the project's version, which its version record holds too
    std::wstring computer;       // the computer's (NetBIOS) name, as %COMPUTERNAME% has it
    std::wstring dnsHostName;    // its fully qualified DNS name, by which fleet tools know it; "" unread
    FILETIME checkedAt = {};     // UTC
    FILETIME bootTime = {};      // UTC: when Windows last started (WindowsStarted)
    bool launcherKnown = false;  // false when the arguments were bad: launcher is null
    std::wstring launcher;       // the full path
    bool logKnown = false;       // false when there is no launcher to derive it from: log is null
    std::string logPath;         // the log's full path, UTF-8; default_LT.log bare when LogsInItsCurrentFolder
    bool logExists = false;
    FILETIME logLastWritten = {};  // UTC, when logExists
};

// The context of a check in mode, read now, with no launcher yet.
ReportContext GatherContext(CheckMode mode);

// Adds the launcher asked for, which names no file: no log.
void AddLauncherPath(const std::wstring& launcher, ReportContext& context);

// Adds the launcher found and its log, as it is now.
void AddLauncher(const LauncherTarget& target, ReportContext& context);

#endif
