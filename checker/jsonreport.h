// JsonReport: the check's outcome as one JSON object, for fleet tools.
#ifndef ZSTARTUP_CHECKER_JSONREPORT_H
#define ZSTARTUP_CHECKER_JSONREPORT_H

#include <string>

#include "checker/checkreport.h"

enum class CheckMode { kPlan, kLastRun };

// {"launcher": ..., "mode": "plan" | "last-run", "plan" | "lastRun": [lines], "findings":
// [{"severity", "code", "subject", "message"}], "exitStatus": N}, in UTF-8 with a final line
// feed. Texts of the report are in the ANSI code page; launcher is the path as given.
std::string JsonReport(const std::wstring& launcher, CheckMode mode, const CheckReport& report, int exitStatus);

// text (UTF-8) as a JSON string: quoted, with quotes, backslashes and control characters
// escaped.
std::string JsonString(const std::string& text);

// ANSI code page text in UTF-8.
std::string Utf8OfAnsi(const std::string& ansi);

#endif
