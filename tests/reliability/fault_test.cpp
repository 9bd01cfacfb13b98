// Faults around a run: a log that others hold or that cannot be written, a batch path taken by a directory, a
// service that refuses to stop and one that dies while stop-pending. The run always goes on to
// its next step and ends with status 0.
#include <gtest/gtest.h>

#include <thread>

#include "tests/launcher/launcherscenario.h"
#include "tests/launcher/registeredservice.h"
#include "tests/launcher/widetext.h"

namespace {

const char kMissing[] = "zstNoSuchService";
// A stop whose event is never signalled is given up after 5000 ms.
const DWORD kGaveUpMs = 4500;

std::string StartError() { return std::string("[zStartup] Error starting service ") + kMissing; }

std::string ListStartingMissing() { return std::string("[START]\r\n0=") + kMissing + "\r\n"; }

class Faults : public LauncherScenario {};

TEST_F(Faults, LogPathTakenByDirectoryLosesOnlyTheLog) {
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
    bool linesKept;
    DWORD atMostMs;
};

// Each line waits at most 500 ms for the log: the five lines of a run, and the program's own
// start and end under Wine.
const DWORD kFiveLinesGivenUpAtMostMs = 5 * 500 + 2000;

const LogHolderCase kLogHolders[] = {
    {"ViewerSharingReadAndWriteLosesNothing", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, INFINITE, true,
     1500},
    {"WriterHoldingItFor300MsLosesNothing", GENERIC_READ | GENERIC_WRITE, 0, 300, true, 2500},
    {"ProgramSharingNothingForTheWholeRunCostsBoundedTime", GENERIC_READ, 0, INFINITE, false,
     kFiveLinesGivenUpAtMostMs},
};

class LogHeld : public LauncherScenario, public ::testing::WithParamInterface<LogHolderCase> {};

TEST_P(LogHeld, KeepsLinesWhileReadersShareIt) {
    const LogHolderCase& row = GetParam();
    const std::string before = "[zStartup] an earlier line\r\n";
    folder_.Write("zStartup_LT.log", before);
    folder_.Write("Services.ini", ListStartingMissing());
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
    if (release.joinable()) release.join();
    else CloseHandle(held);

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, OutputText(Frame({StartError()})));
    EXPECT_EQ(folder_.Read("zStartup_LT.log"), before + (row.linesKept ? LogText(Frame({StartError()})) : ""));
    EXPECT_LE(run.elapsedMs, row.atMostMs);
}

INSTANTIATE_TEST_SUITE_P(Faults, LogHeld, ::testing::ValuesIn(kLogHolders),
                         [](const ::testing::TestParamInfo<LogHolderCase>& info) { return info.param.name; });

TEST_F(Faults, BatchPathTakenByDirectoryCountsAsMissing) {
    folder_.MakeFolder("zStartup.bat");
    ProgramRun run = Run();
    ExpectTrace(run, Frame({}));
}

TEST_F(Faults, StopRefusedIsErrorAndNextEntryRuns) {
    RegisteredService refusing("--event=plain --refuse-stop");
    ASSERT_EQ(refusing.StartAndWaitRunning(), 0u);
    folder_.Write("Services.ini", "[STOP]\r\n0=" + refusing.Name() + "\r\n" + ListStartingMissing());
    ProgramRun run = Run();
    ExpectTrace(run, Frame({"[zStartup] Error stopping service " + refusing.Name(), StartError()}));
    EXPECT_EQ(refusing.State(), static_cast<DWORD>(SERVICE_RUNNING));
}

TEST_F(Faults, ServiceDyingWhileStopPendingIsErrorAfterTimeoutAndNextEntryRuns) {
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
