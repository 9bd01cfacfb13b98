// Faults around a run: a log that others hold or that cannot be written, a batch path taken by a directory, a
// service that refuses to stop and one that dies while stop-pending. The run always goes on to
// its next step and ends with status 0.
#include <gtest/gtest.h>

#include <thread>

#include "tests/harness/launcherscenario.h"
#include "tests/harness/registeredservice.h"
#include "tests/harness/widetext.h"

namespace {

const char kMissing[] = "zstNoSuchService";
// A stop whose event is never signalled is given up after 5000 ms.
const DWORD kGaveUpMs = 4500;

std::string StartError() { return std::string("[zStartup] Error starting service ") + kMissing; }

std::string ListStartingMissing() { return std::string("[START]\r\n0=") + kMissing + "\r\n"; }

class Faults : public LauncherScenario {};

TEST_F(Faults, LogPathTakenByDirectoryLosesOnlyTheLog)
{
    folder_.MakeFolder("zStartup_LT.log");
    folder_.Write("Services.ini", ListStartingMissing());
    ProgramRun run = Run();
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, OutputText(Frame({StartError()})));
}

// Another program holding the log: a viewer following it, a writer (another launcher, a
// scanner) for a moment, or a program sharing nothing for the whole run.
struct LogHolderCase {
    const char* name;
    DWORD access;
    DWORD share;
    DWORD releaseAfterMs;  // INFINITE: held until the run has ended
    int entries;           // each starting a service that does not exist
    bool linesKept;
    DWORD atMostExtraMs;  // over the same run with the log free
};

// A run waits at most 500 ms, in all, for a held log; the rest is the noise of two runs under
// Wine on a loaded machine.
const DWORD kOneWaitAtMostMs = 1500;

// clang-format off
const LogHolderCase kLogHolders[] = {
    {"ViewerSharingReadAndWriteLosesNothing", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, INFINITE, 1, true,
     1000},
    {"WriterHoldingItFor300MsLosesNothing", GENERIC_READ | GENERIC_WRITE, 0, 300, 1, true, kOneWaitAtMostMs},
    {"ProgramSharingNothingForTheWholeRunCostsBoundedTime", GENERIC_READ, 0, INFINITE, 1, false, kOneWaitAtMostMs},
    {"ElevenEntriesSharingNothingForTheWholeRunCostOneWait", GENERIC_READ, 0, INFINITE, 11, false, kOneWaitAtMostMs},
};
// clang-format on

// Keys 0 to : starting services that do not exist, and the lines they give.
std::string ListStartingMissing(int entries, TraceLines& lines)
{
    std::string list = "[START]\r\n";
    for (int i = 0; i < entries; ++i) {
        const std::string name = kMissing + std::to_string(i);
        list += std::string(1, static_cast<char>('0' + i)) + "=" + name + "\r\n";
        lines.push_back("[zStartup] Error starting service " + name);
    }
    return list;
}

// The same list run in a folder of its own, with nothing holding its log.
DWORD FreeRunMs(const std::string& list)
{
    TestFolder free;
    free.CopyFromBin("zStartup.exe", "zStartup.exe");
    free.Write("Services.ini", list);
    ProgramLaunch launch;
    launch.path = free.PathOf("zStartup.exe");
    launch.directory = free.Path();
    return RunProgram(launch).elapsedMs;
}

class LogHeld : public LauncherScenario, public ::testing::WithParamInterface<LogHolderCase> {};

TEST_P(LogHeld, KeepsLinesWhileReadersShareIt)
{
    const LogHolderCase& row = GetParam();
    const std::string before = "[zStartup] an earlier line\r\n";
    TraceLines serviceLines;
    const std::string list = ListStartingMissing(row.entries, serviceLines);
    const DWORD freeRunMs = FreeRunMs(list);
    folder_.Write("zStartup_LT.log", before);
    folder_.Write("Services.ini", list);
    HANDLE held = CreateFileW(Wide(folder_.PathOf("zStartup_LT.log")).c_str(), row.access, row.share, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread release;
    if (row.releaseAfterMs != INFINITE) {
        release = std::thread([&] {
            Sleep(row.releaseAfterMs);
            CloseHandle(held);
        });
    }
    ProgramRun run = Run();
    if (release.joinable())
        release.join();
    else
        CloseHandle(held);

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, OutputText(Frame(serviceLines)));
    EXPECT_EQ(folder_.Read("zStartup_LT.log"), before + (row.linesKept ? LogText(Frame(serviceLines)) : ""));
    EXPECT_LE(run.elapsedMs, freeRunMs + row.atMostExtraMs) << "the free run took " << freeRunMs << " ms";
}

INSTANTIATE_TEST_SUITE_P(Faults, LogHeld, ::testing::ValuesIn(kLogHolders),
                         [](const ::testing::TestParamInfo<LogHolderCase>& info) { return info.param.name; });

TEST_F(Faults, BatchPathTakenByDirectoryCountsAsMissing)
{
    folder_.MakeFolder("zStartup.bat");
    ProgramRun run = Run();
    ExpectTrace(run, Frame({}));
}

TEST_F(Faults, StopRefusedIsErrorAndNextEntryRuns)
{
    RegisteredService refusing("--event=plain --refuse-stop");
    ASSERT_EQ(refusing.StartAndWaitRunning(), 0u);
    folder_.Write("Services.ini", "[STOP]\r\n0=" + refusing.Name() + "\r\n" + ListStartingMissing());
    ProgramRun run = Run();
    ExpectTrace(run, Frame({"[zStartup] Error stopping service " + refusing.Name(), StartError()}));
    EXPECT_EQ(refusing.State(), static_cast<DWORD>(SERVICE_RUNNING));
}

TEST_F(Faults, ServiceDyingWhileStopPendingIsErrorAfterTimeoutAndNextEntryRuns)
{
    RegisteredService dying("--event=plain --die-on-stop");
    RegisteredService next;
    ASSERT_EQ(dying.StartAndWaitRunning(), 0u);
    folder_.Write("Services.ini", "[STOP]\r\n0=" + dying.Name() + "\r\n[START]\r\n1=" + next.Name() + "\r\n");
    ProgramRun run = Run();
    ExpectTrace(run, Frame({"[zStartup] Error stopping service " + dying.Name(),
                            "[zStartup] Success starting service " + next.Name()}));
    EXPECT_GE(run.elapsedMs, kGaveUpMs);
    EXPECT_EQ(next.State(), static_cast<DWORD>(SERVICE_RUNNING));
}

}  // namespace
