// What zStartupCheck prints, for the tests that run it: its lines, and which are findings.
#ifndef ZSTARTUP_TESTS_CHECKER_CHECKEROUTPUT_H
#define ZSTARTUP_TESTS_CHECKER_CHECKEROUTPUT_H

#include <string>
#include <vector>

#include "tests/harness/runprogram.h"

// Runs zStartupCheck.exe (beside the test program) with arguments in directory.
ProgramRun RunChecker(const std::string& arguments, const std::string& directory);

// text's lines, without their CR LF or LF.
std::vector<std::string> Lines(const std::string& text);

bool StartsWith(const std::string& text, const std::string& prefix);

// "error: ...", "warning: ..." or "note: ...".
bool IsFinding(const std::string& line);

#endif
