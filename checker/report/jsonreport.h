// JsonReport: the check's outcome as one JSON object, for fleet tools.
#ifndef ZSTARTUP_CHECKER_REPORT_JSONREPORT_H
#define ZSTARTUP_CHECKER_REPORT_JSONREPORT_H

#include <string>

#include "checker/report/checkreport.h"
#include "checker/report/reportcontext.h"

// Raised only when a key changes its meaning or goes away; new keys keep it.
const int kJsonSchemaVersion = 1;

// {"schemaVersion": 1, "checkerVersion", "computer", "checkedAt", "bootTime", "launcher",
// "mode": "plan" | "last-run", "plan" | "lastRun": [lines], "log": {"path", "lastWritten"},
// "tasks": [{"path", "command", "runsThisLauncher", "enabled", "startTriggers": [...],
// "account", "highestAvailable", and in last-run mode "lastRunTime" and "lastResult" (an
// unsigned number), each null when unknown}], "findings": [{"severity", "code", "subject",
// "message"}], "exitStatus": N} on one line,
// ending in a line feed. Pure ASCII: every other character is written as \uXXXX (UTF-16,
// surrogate pairs included), so that no console code page can change it. Times are
// IsoLocalTime's; launcher and log are null when the context knows no launcher, lastWritten
// null when there is no log. Texts of the report are UTF-8; a byte sequence in them that is
// no UTF-8 is written as U+FFFD (\ufffd), one per bad byte at most.
std::string JsonReport(const ReportContext& context, const CheckReport& report, int exitStatus);

#endif
