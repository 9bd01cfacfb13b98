// Generated hostile service lists: whatever Services.ini holds, a run ends by itself with exit
// status 0, every line whole on standard output and in the log, and the stopped line last. No
// name the generator writes exists, so every service line must be an error line.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iostream>

#include "tests/harness/launcherscenario.h"
#include "tests/harness/testfolder.h"
#include "tests/harness/widetext.h"
#include "tests/reliability/crlflines.h"
#include "tests/reliability/runtogether.h"
#include "tests/reliability/servicelistgenerator.h"

namespace {

const unsigned kSeed = 20261208;
const int kInputs = 504;  // 84 of each of the generator's six kinds
// Far above a run on unknown names only; it only stops a hang.
const DWORD kRunBoundMs = 20000;
const char kOutputPrefix[] = "[LLT] ";
const char kMarkWarning[] =
    "[zStartup] Warning: service list begins with a UTF-8 byte order mark; save it as ANSI or UTF-16";

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsErrorLine(const std::string& line)
{
    return StartsWith(line, "[zStartup] Error stopping service ") ||
           StartsWith(line, "[zStartup] Error starting service ");
}

// Standard output must hold each log line behind "[LLT] " and nothing else; empty when it does.
std::string EchoFault(const CrLfLines& output, const CrLfLines& logged)
{
    if (!output.rest.empty() || !logged.rest.empty()) return "cut line";
    if (output.lines.size() != logged.lines.size()) return "output and log differ in length";
    for (size_t i = 0; i < output.lines.size(); ++i) {
        if (output.lines[i] != kOutputPrefix + logged.lines[i])
            return "output and log differ at line " + std::to_string(i);
    }
    return std::string();
}

// The lines must be the frame's first line, error lines only, then the rest of the frame.
std::string ShapeFault(const std::vector<std::string>& lines, const TraceLines& frame)
{
    if (lines.size() < frame.size() || lines.front() != frame.front()) return "no started line first";
    const size_t serviceLines = lines.size() - frame.size();
    for (size_t i = 1; i <= serviceLines; ++i) {
        // A generated UTF-8 mark before a section header is warned of before the scan.
        if (i == 1 && lines[i] == kMarkWarning) continue;
        if (!IsErrorLine(lines[i])) return "unexpected line " + std::to_string(i) + ": " + lines[i];
    }
    if (!std::equal(frame.begin() + 1, frame.end(), lines.begin() + 1 + serviceLines))
        return "end of run not as expected";
    return std::string();
}

// What is wrong with a run; empty when nothing is.
std::string Fault(const ProgramRun& run, const CrLfLines& logged, const TraceLines& frame)
{
    if (!run.started) return "not started (error " + std::to_string(run.startError) + ")";
    if (!run.finished) {
        // Where it stood when it was ended tells a hang in the launcher from one in starting it.
        const CrLfLines printed = SplitCrLf(run.output);
        return "did not end in " + std::to_string(kRunBoundMs) + " ms; its last line: \"" +
               (printed.lines.empty() ? std::string("(none)") : printed.lines.back()) + "\"";
    }
    if (run.exitCode != 0) return "exit status " + std::to_string(run.exitCode);
    const std::string echo = EchoFault(SplitCrLf(run.output), logged);
    return echo.empty() ? ShapeFault(logged.lines, frame) : echo;
}

class BadServiceList : public ::testing::Test {
protected:
    // Runs the launcher once on list; empty result when the run was sound.
    std::string RunOn(const std::string& list)
    {
        folder_.Write("Services.ini", list);
        DeleteFileW(Wide(folder_.PathOf("zStartup_LT.log")).c_str());
        std::vector<ProgramRun> runs = RunTogether({launch_}, outputs_.Path(), kRunBoundMs);
        const CrLfLines logged = SplitCrLf(folder_.Read("zStartup_LT.log"));
        if (logged.lines.size() > frame_.size()) serviceLines_ += logged.lines.size() - frame_.size();
        return Fault(runs.front(), logged, frame_);
    }

    // Keeps a failing input beside the test program, to be replayed and kept as a regression case.
    static std::string Keep(int index, const std::string& list)
    {
        std::string path = BesideThisProgram("failed-service-list-" + std::to_string(index) + ".ini");
        std::ofstream(path, std::ios::binary) << list;
        return path;
    }

    void SetUp() override
    {
        folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
        folder_.MakeFolder("elsewhere");
        launch_.path = folder_.PathOf("zStartup.exe");
        launch_.directory = folder_.PathOf("elsewhere");
        frame_ = RunLines(folder_.Path(), "zStartup", {});
    }

    TestFolder folder_;
    TestFolder outputs_;
    ProgramLaunch launch_;
    TraceLines frame_;
    size_t serviceLines_ = 0;
};

TEST_F(BadServiceList, GeneratedListsEndCleanly)
{
    ServiceListGenerator generator(kSeed);
    int failures = 0;
    const DWORD begin = GetTickCount();
    for (int i = 0; i < kInputs; ++i) {
        const std::string list = generator.Next();
        const std::string fault = RunOn(list);
        if (fault.empty()) continue;
        ADD_FAILURE() << "input " << i << " of seed " << kSeed << ": " << fault << " (kept as " << Keep(i, list) << ")";
        if (++failures == 10) return;
    }
    std::cout << "bad service lists: " << kInputs << " inputs of seed " << kSeed << " in " << GetTickCount() - begin
              << " ms, " << serviceLines_ << " service lines among them\n";
}

}  // namespace
