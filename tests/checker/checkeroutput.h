// What zStartupCheck prints, for the tests that run it. Tests assert what fleet tools are told
// to match on: each finding's severity, code and subject, read from --json. The English text
// is compared in a few golden files only.
//
// Subjects as the checker gives them: a list finding names the list's path, or "[SECTION]",
// "[SECTION] key K" ("keys K, L" for several), "[SECTION] line N"; a service finding the name
// as the list writes it; batch, log, folder, file, link and permission findings the path
// ("default_LT.log" for log.default-path); findings about the launcher's own path, task.none
// and platform.32-bit-on-64-bit the launcher's path; check.bad-arguments and
// platform.not-elevated "zStartupCheck"; last-run.error the service, or "service list" like
// last-run.warning; last-run.batch-* "batch file"; last-run.lines-lost "log"; the other
// last-run findings the log's path; a task finding the task's bare path, as "tasks" has it.
#ifndef ZSTARTUP_TESTS_CHECKER_CHECKEROUTPUT_H
#define ZSTARTUP_TESTS_CHECKER_CHECKEROUTPUT_H

#include <windows.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "tests/checker/jsonreader.h"
#include "tests/harness/runprogram.h"

// Runs zStartupCheck.exe (beside the test program) with arguments in directory.
ProgramRun RunChecker(const std::string& arguments, const std::string& directory);

// text's lines, without their CR LF or LF.
std::vector<std::string> Lines(const std::string& text);

bool StartsWith(const std::string& text, const std::string& prefix);

// A finding as --json gives it, without its message.
struct ReportedFinding {
    std::string severity;  // "error", "warning" or "note"
    std::string code;
    std::string subject;
};
bool operator==(const ReportedFinding& a, const ReportedFinding& b);
bool operator<(const ReportedFinding& a, const ReportedFinding& b);
void PrintTo(const ReportedFinding& finding, std::ostream* out);

using Findings = std::vector<ReportedFinding>;

// findings in a fixed order, so that two lists compare as multisets.
Findings Sorted(Findings findings);

// One run of zStartupCheck --json, read back.
struct CheckerReport {
    DWORD exitCode = 0;
    JsonValue json;                  // the whole report
    std::vector<std::string> lines;  // the plan, or the last run's lines
    Findings findings;               // Sorted
    std::string output;              // all it printed, standard error included, for messages
};

// The report of a run of zStartupCheck --json. A run that did not end, or printed no line
// holding exactly one JSON object, or whose exitStatus is not its exit code, fails the test.
CheckerReport ReadReport(const ProgramRun& run);

// Runs zStartupCheck --json arguments in directory, and reads its report.
CheckerReport CheckJson(const std::string& arguments, const std::string& directory);

// Runs zStartupCheck arguments from a copy of the launcher and the checker in a subfolder of
// folder named U+041F U+043E U+043A U+0430 U+0437, letters the ANSI code page 1252 lacks, with
// folder as the current folder; the report read. Fails the test when the copies cannot be made.
CheckerReport CheckFromFolderOutsideTheCodePage(const std::string& folder, const std::string& arguments);

// Whether this build's programs (the test's, the launcher's, the checker's) are 32-bit ones
// running on 64-bit Windows, where the plan notes platform.32-bit-on-64-bit.
bool Built32BitOn64BitWindows();

// "MACHINE\user", as Windows names the account this test runs as.
std::string OwnAccountName();

// The golden text in the file name beside the test program, as lines, each {NAME} replaced by
// values' text for it. A line that begins with "{32-bit on 64-bit}" is kept, without that
// mark, only where Built32BitOn64BitWindows.
std::vector<std::string> GoldenLines(const std::string& name, const std::map<std::string, std::string>& values);

#endif
