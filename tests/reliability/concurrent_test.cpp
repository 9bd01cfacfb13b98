// Concurrent runs: eight launchers started at the same instant in one folder, on one list. Each
// run's own standard output must hold all of its lines, and the log every line of every run,
// each whole: a writer that finds the log held by another waits for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "tests/harness/launcherscenario.h"
#include "tests/harness/registeredservice.h"
#include "tests/reliability/crlflines.h"
#include "tests/reliability/runtogether.h"

namespace {

const int kLaunchers = 8;
// The list holds three service operations of at most 5 s each (a start adds one 200 ms pause);
// the rest is ample time for eight processes to start under Wine. It only stops a hang.
const DWORD kBoundMs = 3 * 5200 + 60000;
const char kMissing[] = "zstNoSuchService";

// For each line of a run, the texts it may have.
using LineChoices = std::vector<std::vector<std::string>>;

bool IsOneOf(const std::string& line, const std::vector<std::string>& choices)
{
    return std::find(choices.begin(), choices.end(), line) != choices.end();
}

// An output line is the trace line behind "[LLT] ".
bool EchoesOneOf(const std::string& outputLine, const std::vector<std::string>& choices)
{
    const std::string tag = "[LLT] ";
    return outputLine.compare(0, tag.size(), tag) == 0 && IsOneOf(outputLine.substr(tag.size()), choices);
}

class ConcurrentRuns : public LauncherScenario {
protected:
    void SetUp() override
    {
        ASSERT_EQ(shared_.StartAndWaitRunning(), 0u);
        folder_.Write("Services.ini", "[STOP]\r\n0=" + shared_.Name() + "\r\n[START]\r\n0=" + shared_.Name() +
                                          "\r\n1=" + kMissing + "\r\n");
        folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
        folder_.MakeFolder("elsewhere");
        // Each launcher may be the one that stops or starts the shared service, or find another
        // one doing it.
        const std::string name = shared_.Name();
        const TraceLines frame = Frame({});
        choices_ = {{frame[0]},
                    {"[zStartup] Success stopping service " + name, "[zStartup] Error stopping service " + name},
                    {"[zStartup] Success starting service " + name, "[zStartup] Error starting service " + name},
                    {std::string("[zStartup] Error starting service ") + kMissing}};
        for (size_t i = 1; i < frame.size(); ++i) choices_.push_back({frame[i]});
    }

    RegisteredService shared_{"--event=plain"};
    TestFolder outputs_;
    LineChoices choices_;
};

TEST_F(ConcurrentRuns, EveryLineWholeInLogAndOutput)
{
    ProgramLaunch launch;
    launch.path = folder_.PathOf("zStartup.exe");
    launch.directory = folder_.PathOf("elsewhere");
    std::vector<ProgramRun> runs =
        RunTogether(std::vector<ProgramLaunch>(kLaunchers, launch), outputs_.Path(), kBoundMs);

    for (size_t run = 0; run < runs.size(); ++run) {
        ASSERT_TRUE(runs[run].started) << "run " << run;
        EXPECT_TRUE(runs[run].finished) << "run " << run;
        EXPECT_EQ(runs[run].exitCode, 0u) << "run " << run;
        CrLfLines output = SplitCrLf(runs[run].output);
        EXPECT_EQ(output.rest, "") << "run " << run;
        ASSERT_EQ(output.lines.size(), choices_.size()) << "run " << run << ":\n" << runs[run].output;
        for (size_t i = 0; i < choices_.size(); ++i) {
            EXPECT_TRUE(EchoesOneOf(output.lines[i], choices_[i]))
                << "run " << run << " line " << i << ": " << output.lines[i];
        }
    }

    // The runs' own outputs say which lines the log must hold, in any interleaving.
    std::vector<std::string> printed;
    for (const ProgramRun& run : runs) {
        for (const std::string& line : SplitCrLf(run.output).lines) printed.push_back(line.substr(sizeof "[LLT] " - 1));
    }
    CrLfLines log = SplitCrLf(folder_.Read("zStartup_LT.log"));
    EXPECT_EQ(log.rest, "") << "cut last line";
    std::vector<std::string> logged = log.lines;
    std::sort(printed.begin(), printed.end());
    std::sort(logged.begin(), logged.end());
    EXPECT_EQ(logged, printed) << "lines lost, cut or mixed";
    std::cout << "concurrent: " << kLaunchers << " runs, " << log.lines.size() << " of " << printed.size()
              << " lines reached the log\n";
}

}  // namespace
