// SplitCrLf: text cut into the lines that end in CR LF, and whatever follows the last of them.
#ifndef ZSTARTUP_TESTS_RELIABILITY_CRLFLINES_H
#define ZSTARTUP_TESTS_RELIABILITY_CRLFLINES_H

#include <string>
#include <vector>

struct CrLfLines {
    std::vector<std::string> lines;  // without their CR LF
    std::string rest;                // bytes after the last CR LF: a cut line when not empty
};

CrLfLines SplitCrLf(const std::string& text);

#endif
