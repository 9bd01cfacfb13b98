#include "tests/checker/checkeroutput.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/harness/testfolder.h"

ProgramRun RunChecker(const std::string& arguments, const std::string& directory)
{
    ProgramLaunch launch;
    launch.path = BesideThisProgram("zStartupCheck.exe");
    launch.arguments = arguments;
    launch.directory = directory;
    ProgramRun run = RunProgram(launch);
    EXPECT_TRUE(run.finished);
    return run;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsFinding(const std::string& line)
{
    return StartsWith(line, "error: ") || StartsWith(line, "warning: ") || StartsWith(line, "note: ");
}
