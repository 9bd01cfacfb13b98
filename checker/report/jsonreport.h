// JsonReport: the check's outcome as one JSON object, for fleet tools.
#ifndef ZSTARTUP_CHECKER_REPORT_JSONREPORT_H
#define ZSTARTUP_CHECKER_REPORT_JSONREPORT_H

#include <string>

#include "checker/report/checkreport.h"

enum class CheckMode { kPlan, kLastRun };

// {"launcher": ..., "mode": "plan" | "last-run", "plan" | "lastRun": [lines], "findings":
// [{"severity", "code", "subject", "message"}], "exitStatus": N}, in UTF-8 with a final line
// feed. Texts of the report are in the ANSI code page; launcher is the path as given.
std::string JsonReport(const std::wstring& launcher, CheckMode mode, const CheckReport& report, int exitStatus);

#endif
