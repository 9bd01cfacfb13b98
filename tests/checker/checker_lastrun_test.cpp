// zStartupCheck --last-run end to end under Wine: real launcher runs (clean, failing, cut off)
// and what the checker makes of their log. The last run's lines must be exactly what that run
// printed, and no finding may come from an earlier run.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/checker/checkeroutput.h"
#include "tests/harness/launcherscenario.h"
#include "tests/harness/registeredservice.h"

namespace {

struct LastRunCase {
    const char* name;
    std::string list;            // {A}: the test service; "": no list
    const char* serviceOptions;  // the test service's
    bool serviceRunning;
    int runs;                // whole launcher runs
    bool cutOff;             // then one more, ended while it waits
    bool logFromBeforeBoot;  // the log's last write moved to 2001 afterwards
    DWORD exitStatus;
    std::vector<std::string> findings;  // beginnings of the errors and warnings (and notes), each exactly once
    std::string logBefore;              // the log's bytes before the runs
};

const char kMissing[] = "zstNoSuchLastRun";

// Sets the last-write time of the file at path to utc.
void SetLastWrite(const std::string& path, const SYSTEMTIME& utc)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME written;
    SystemTimeToFileTime(&utc, &written);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
    CloseHandle(file);
}

// What a power cut leaves: a failed run's last line cut short and padded with NUL bytes, which
// the next start's line follows on the same line.
const std::string kCutByPowerLoss = std::string("[zStartup] started\r\n[zStartup] Error starting service ") + kMissing +
                                    "\r\n[zStartup] BAT fi" + std::string(6, '\0');

// clang-format off
const LastRunCase kCases[] = {
    {"CleanRunIsZero", "[START]\r\n0={A}\r\n", "", false, 1, false, false, 0, {}, ""},
    {"FailedStartNamedOnceAfterEarlierFailures", std::string("[START]\r\n0=") + kMissing + "\r\n", "", false, 3,
     false, false, 2, {std::string("error: last run: \"[zStartup] Error starting service ") + kMissing + "\""}, ""},
    {"CutOffRunDidNotFinish", "[STOP]\r\n0={A}\r\n", "--event=global --signal-after=never", true, 0, true, false, 2,
     {"error: last run: no \"[zStartup] stopped\" after its start"}, ""},
    {"NoLogMeansNoRun", "", "", false, 0, false, false, 2, {"error: no log "}, ""},
    {"LogFromBeforeBootIsWarned", "[START]\r\n0={A}\r\n", "", false, 1, false, true, 1, {"warning: log "}, ""},
    {"CleanRunAfterPowerCutIsZero", "[START]\r\n0={A}\r\n", "", false, 1, false, false, 0,
     {"note: last run: it began right after a line the run before it never finished, \"[zStartup] BAT fi"
      "\\u0000\\u0000\\u0000\\u0000\\u0000\\u0000\""},
     kCutByPowerLoss},
    {"ServiceNamedLikeTheStartIsNoStart", "[STOP]\r\n0=[zStartup] started\r\n", "", false, 1, false, false, 2,
     {"error: last run: \"[zStartup] Error stopping service [zStartup] started\""}, ""},
};
// clang-format on

class LastRun : public LauncherScenario, public ::testing::WithParamInterface<LastRunCase> {
protected:
    // Starts the launcher without waiting for it, and ends it once it has logged its start.
    void RunCutOff()
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        std::string command = "\"" + folder_.PathOf("zStartup.exe") + "\"";
        ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder_.Path().c_str(),
                                   &startup, &process));
        Sleep(1500);  // within its 5 s wait for the stop event
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }

    void MoveLogToBeforeBoot() { SetLastWrite(folder_.PathOf("zStartup_LT.log"), {2001, 1, 1, 1, 12, 0, 0, 0}); }
};

TEST_P(LastRun, ReportsTheLastRunOnly)
{
    const LastRunCase& row = GetParam();
    RegisteredService service(row.serviceOptions);
    if (row.serviceRunning) {
        ASSERT_EQ(service.StartAndWaitRunning(), 0u);
    }
    std::string list = row.list;
    for (size_t at; (at = list.find("{A}")) != std::string::npos;) list.replace(at, 3, service.Name());
    if (!list.empty()) folder_.Write("Services.ini", list);
    folder_.Write("zStartup.bat", "@echo off\r\n");
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    if (!row.logBefore.empty()) folder_.Write("zStartup_LT.log", row.logBefore);
    ProgramRun last;
    for (int i = 0; i < row.runs; ++i) last = Run();
    if (row.cutOff) {
        ASSERT_NO_FATAL_FAILURE(RunCutOff());
    }
    if (row.logFromBeforeBoot) {
        ASSERT_NO_FATAL_FAILURE(MoveLogToBeforeBoot());
    }

    const ProgramRun check = RunChecker("--last-run \"" + folder_.PathOf("zStartup.exe") + "\"", folder_.Path());
    ASSERT_TRUE(check.finished);
    EXPECT_EQ(check.exitCode, row.exitStatus) << check.output;

    std::vector<std::string> lines, findings;
    for (const std::string& line : Lines(check.output)) (IsFinding(line) ? findings : lines).push_back(line);
    if (row.runs > 0 && !row.cutOff) {
        std::vector<std::string> printed;
        for (const std::string& line : Lines(last.output)) printed.push_back(line.substr(sizeof "[LLT] " - 1));
        EXPECT_EQ(lines, printed);
    }
    for (const std::string& prefix : row.findings) {
        int count = 0;
        for (const std::string& line : findings) count += StartsWith(line, prefix) ? 1 : 0;
        EXPECT_EQ(count, 1) << prefix << "\n" << check.output;
    }
    for (const std::string& line : findings) {
        bool known = StartsWith(line, "note: ");
        for (const std::string& prefix : row.findings) known = known || StartsWith(line, prefix);
        EXPECT_TRUE(known) << "unexpected: " << line;
    }
}

INSTANTIATE_TEST_SUITE_P(Checker, LastRun, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<LastRunCase>& info) { return info.param.name; });

// The line the launcher writes when a held log kept some of its lines out: a warning with a
// code of its own, so that a fleet tool can tell it from a warning about the list.
class LastRunLog : public LauncherScenario {};

TEST_F(LastRunLog, LostLinesAreAWarningOfTheirOwn)
{
    const std::string warning = "[zStartup] Warning: 3 lines could not be written to the log";
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.Write("zStartup_LT.log", "[zStartup] started\r\n" + warning + "\r\n[zStartup] stopped\r\n");
    const std::string launcher = "\"" + folder_.PathOf("zStartup.exe") + "\"";

    const ProgramRun text = RunChecker("--last-run " + launcher, folder_.Path());
    EXPECT_EQ(text.exitCode, 1u) << text.output;
    EXPECT_NE(text.output.find("warning: last run: \"" + warning + "\""), std::string::npos) << text.output;
    const ProgramRun json = RunChecker("--last-run --json " + launcher, folder_.Path());
    EXPECT_NE(json.output.find("\"code\": \"last-run.lines-lost\""), std::string::npos) << json.output;
}

// The text of last-run.not-since-boot gives the log's last write in the time the zone had at
// that moment, whatever the season of the check: Paris is at UTC+2 in summer time (from the
// last Sunday of March to the last Sunday of October) and at UTC+1 otherwise. The registration
// runs this test with TZ=Europe/Paris.
struct LogTimeCase {
    const char* name;
    SYSTEMTIME lastWrite;  // UTC
    const char* shown;     // worked out by hand
};

const LogTimeCase kLogTimes[] = {
    {"WrittenInSummerTime", {2026, 7, 3, 1, 10, 0, 0, 0}, "was last written at 2026-07-01T12:00:00+02:00,"},
    {"WrittenInWinterTime", {2026, 1, 4, 15, 10, 0, 0, 0}, "was last written at 2026-01-15T11:00:00+01:00,"},
};

class LastRunLogTime : public LauncherScenario, public ::testing::WithParamInterface<LogTimeCase> {};

TEST_P(LastRunLogTime, IsNotShiftedByTodaysOffset)
{
    TIME_ZONE_INFORMATION zone = {};
    GetTimeZoneInformation(&zone);
    ASSERT_EQ(zone.Bias, -60) << "not in Paris's time zone: run with TZ=Europe/Paris";
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.Write("zStartup_LT.log", "[zStartup] started\r\n[zStartup] stopped\r\n");
    ASSERT_NO_FATAL_FAILURE(SetLastWrite(folder_.PathOf("zStartup_LT.log"), GetParam().lastWrite));

    const ProgramRun check = RunChecker("--last-run \"" + folder_.PathOf("zStartup.exe") + "\"", folder_.Path());
    EXPECT_NE(check.output.find(GetParam().shown), std::string::npos) << check.output;
}

INSTANTIATE_TEST_SUITE_P(Checker, LastRunLogTime, ::testing::ValuesIn(kLogTimes),
                         [](const ::testing::TestParamInfo<LogTimeCase>& info) { return info.param.name; });

}  // namespace
