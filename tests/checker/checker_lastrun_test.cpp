// zStartupCheck --last-run end to end under Wine: real launcher runs (clean, failing, cut off)
// and what the checker makes of their log, read from --json. The last run's lines must be exactly
// what that run printed, and no finding may come from an earlier run. Under Wine every folder
// belongs to, and may be changed by, the user's own account, so each case also expects the
// folder finding that says the log and what the launcher ran cannot be believed.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/checker/checkeroutput.h"
#include "tests/harness/launcherscenario.h"
#include "tests/harness/registeredservice.h"
#include "tests/harness/runprogram.h"
#include "tests/harness/testfolder.h"
#include "tests/harness/widetext.h"

namespace {

// What else holds while the launcher runs.
enum class During { kNothingElse, kNoBatchFile, kListHeld };

struct LastRunCase {
    const char* name;
    std::string list;            // {A}: the test service; "": no list
    const char* serviceOptions;  // the test service's
    bool serviceRunning;
    int runs;                // whole launcher runs
    bool cutOff;             // then one more, ended while it waits
    bool logFromBeforeBoot;  // the log's last write moved to 2001 afterwards
    DWORD exitStatus;
    Findings findings;      // exactly these; {A}: the service, {LOG}: the log's path
    std::string logBefore;  // the log's bytes before the runs
    During during;
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
    {"CleanRunIsZero", "[START]\r\n0={A}\r\n", "", false, 1, false, false, 0, {}, "", During::kNothingElse},
    {"FailedStartNamedOnceAfterEarlierFailures", std::string("[START]\r\n0=") + kMissing + "\r\n", "", false, 3,
     false, false, 2, {{"error", "last-run.error", kMissing}}, "", During::kNothingElse},
    {"CutOffRunDidNotFinish", "[STOP]\r\n0={A}\r\n", "--event=global --signal-after=never", true, 0, true, false, 2,
     {{"error", "last-run.unfinished", "{LOG}"}}, "", During::kNothingElse},
    {"NoLogMeansNoRun", "", "", false, 0, false, false, 2, {{"error", "last-run.no-run", "{LOG}"}}, "",
     During::kNothingElse},
    {"LogFromBeforeBootIsWarned", "[START]\r\n0={A}\r\n", "", false, 1, false, true, 1,
     {{"warning", "last-run.not-since-boot", "{LOG}"}}, "", During::kNothingElse},
    {"CleanRunAfterPowerCutIsZero", "[START]\r\n0={A}\r\n", "", false, 1, false, false, 0,
     {{"note", "last-run.cut-line", "{LOG}"}}, kCutByPowerLoss, During::kNothingElse},
    {"ServiceNamedLikeTheStartIsNoStart", "[STOP]\r\n0=[zStartup] started\r\n", "", false, 1, false, false, 2,
     {{"error", "last-run.error", "[zStartup] started"}}, "", During::kNothingElse},
    {"Utf8MarkOnTheListIsAWarning", "\xEF\xBB\xBF[START]\r\n0={A}\r\n", "", false, 1, false, false, 1,
     {{"warning", "last-run.warning", "service list"}}, "", During::kNothingElse},
    {"MissingBatchFileIsAWarning", "[START]\r\n0={A}\r\n", "", false, 1, false, false, 1,
     {{"warning", "last-run.batch-not-found", "batch file"}}, "", During::kNoBatchFile},
    {"ListHeldWithoutSharingIsAnError", "[START]\r\n0={A}\r\n", "", false, 1, false, false, 2,
     {{"error", "last-run.error", "service list"}}, "", During::kListHeld},
};
// clang-format on

// A launcher in a fresh folder, checked with --last-run.
class LastRunCheck : public LauncherScenario {
protected:
    CheckerReport CheckLastRun() const
    {
        return CheckJson("--last-run \"" + folder_.PathOf("zStartup.exe") + "\"", folder_.Path());
    }

    // Besides the folder's finding under Wine, exactly expected.
    void ExpectExactly(const CheckerReport& report, Findings expected) const
    {
        for (ReportedFinding& finding : expected) {
            if (finding.subject == "{LOG}") finding.subject = folder_.PathOf("zStartup_LT.log");
        }
        expected.push_back({"error", "folder.untrusted-writer", folder_.Path()});
        EXPECT_EQ(report.findings, Sorted(expected)) << report.output;
    }

    // The exit status of a log whose own findings give logStatus, under Wine's folder error.
    static DWORD ExitStatusUnderWine(DWORD logStatus) { return std::max<DWORD>(logStatus, 2); }
};

class LastRun : public LastRunCheck, public ::testing::WithParamInterface<LastRunCase> {
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
    if (row.during != During::kNoBatchFile) folder_.Write("zStartup.bat", "@echo off\r\n");
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    if (!row.logBefore.empty()) folder_.Write("zStartup_LT.log", row.logBefore);
    HANDLE held = INVALID_HANDLE_VALUE;
    if (row.during == During::kListHeld) {
        held = CreateFileA(folder_.PathOf("Services.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
    }
    ProgramRun last;
    for (int i = 0; i < row.runs; ++i) last = Run();
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    if (row.cutOff) {
        ASSERT_NO_FATAL_FAILURE(RunCutOff());
    }
    if (row.logFromBeforeBoot) {
        ASSERT_NO_FATAL_FAILURE(MoveLogToBeforeBoot());
    }

    const CheckerReport report = CheckLastRun();
    EXPECT_EQ(report.exitCode, ExitStatusUnderWine(row.exitStatus)) << report.output;
    if (row.runs > 0 && !row.cutOff) {
        std::vector<std::string> printed;
        for (const std::string& line : Lines(last.output)) printed.push_back(line.substr(sizeof "[LLT] " - 1));
        EXPECT_EQ(report.lines, printed);
    }
    ExpectExactly(report, row.findings);
}

INSTANTIATE_TEST_SUITE_P(Checker, LastRun, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<LastRunCase>& info) { return info.param.name; });

// What the text, rather than the JSON, shows.
class LastRunText : public LastRunCheck {};

// The cut line's NUL bytes reach the text escaped, never as control bytes.
TEST_F(LastRunText, CutLineIsShownEscaped)
{
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.Write("zStartup_LT.log", kCutByPowerLoss + "[zStartup] started\r\n[zStartup] stopped\r\n");
    const ProgramRun run = RunChecker("--last-run \"" + folder_.PathOf("zStartup.exe") + "\"", folder_.Path());
    EXPECT_NE(run.output.find("\"[zStartup] BAT fi\\u0000\\u0000\\u0000\\u0000\\u0000\\u0000\""), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find('\0'), std::string::npos) << run.output;
}

// The English text, whole, of a failed run.
TEST_F(LastRunText, IsTheGoldenText)
{
    folder_.Write("Services.ini", std::string("[START]\r\n0=") + kMissing + "\r\n");
    folder_.Write("zStartup.bat", "@echo off\r\n");
    Run();
    const ProgramRun run = RunChecker("--last-run \"" + folder_.PathOf("zStartup.exe") + "\"", folder_.Path());
    EXPECT_EQ(Lines(run.output),
              GoldenLines("checker-lastrun.golden.txt", {{"{FOLDER}", folder_.Path()},
                                                         {"{SHELL RESULT}", std::to_string(kShellResultUnderWine)},
                                                         {"{ACCOUNT}", OwnAccountName()}}));
}

// Logs as the launcher writes them, of runs that Wine cannot make happen on cue, each read for
// the finding its lines call for.
struct WrittenLogCase {
    const char* name;
    std::string log;  // {FOLDER}: the launcher's
    DWORD exitStatus;
    Findings findings;
};

const std::string kCleanRun = "[zStartup] started\r\n[zStartup] stopped\r\n";

// clang-format off
const WrittenLogCase kWrittenLogs[] = {
    // A held log kept some lines out: a warning with a code of its own, so that a fleet tool can
    // tell it from a warning about the list.
    {"LostLinesAreAWarningOfTheirOwn",
     "[zStartup] started\r\n[zStartup] Warning: 3 lines could not be written to the log\r\n[zStartup] stopped\r\n",
     1, {{"warning", "last-run.lines-lost", "log"}}},
    // ShellExecuteEx's value for an extension with no association: 31 (SE_ERR_NOASSOC).
    {"BatchTheShellCouldNotOpenIsAnError",
     "[zStartup] started\r\n[zStartup] BAT file is '{FOLDER}\\zStartup.bat', DIR is '{FOLDER}'\r\n"
     "[zStartup] '{FOLDER}\\zStartup.bat' started with result: 31\r\n[zStartup] stopped\r\n",
     2, {{"error", "last-run.batch-failed", "batch file"}}},
    // A second run started while the first still waited for a service.
    {"RunStartedWhileAnotherWentOnIsNoted",
     "[zStartup] started\r\n[zStartup] started\r\n[zStartup] stopped\r\n[zStartup] stopped\r\n", 0,
     {{"note", "last-run.overlapped", "{LOG}"}}},
    // A power cut during a later write: the file system kept the log's new length, not its bytes.
    {"NulPaddingAfterTheLastStopIsACutLine", kCleanRun + std::string(200, '\0'), 0,
     {{"note", "last-run.cut-line", "{LOG}"}}},
    {"StartCutShortAfterTheLastStopIsACutLine", kCleanRun + "[zStartup] sta", 0,
     {{"note", "last-run.cut-line", "{LOG}"}}},
    // A line caught while a run writes it: no CR LF yet.
    {"LineBeingWrittenAfterTheLastStopIsOnlyANote", kCleanRun + "[zStartup] Success starting service Spooler", 0,
     {{"note", "last-run.cut-line", "{LOG}"}}},
    // Run B started while run A went on, A stopped, B wrote a line and never stopped.
    {"RunThatWentOnAfterTheLastStopIsUnfinished",
     "[zStartup] started\r\n[zStartup] started\r\n[zStartup] Success starting service Spooler\r\n"
     "[zStartup] stopped\r\n[zStartup] Success starting service Schedule\r\n",
     2, {{"error", "last-run.unfinished", "{LOG}"}, {"note", "last-run.overlapped", "{LOG}"}}},
    // A tab is no damage: a service's name may hold one.
    {"LineWithATabAfterTheLastStopIsAWholeLine",
     kCleanRun + "[zStartup] Success starting service zst\tTab\r\n", 2,
     {{"error", "last-run.unfinished", "{LOG}"}, {"note", "last-run.overlapped", "{LOG}"}}},
};
// clang-format on

class LastRunLog : public LastRunCheck, public ::testing::WithParamInterface<WrittenLogCase> {};

TEST_P(LastRunLog, ReportsWhatItsLinesCallFor)
{
    const WrittenLogCase& row = GetParam();
    std::string log = row.log;
    for (size_t at; (at = log.find("{FOLDER}")) != std::string::npos;) log.replace(at, 8, folder_.Path());
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.Write("zStartup_LT.log", log);
    const CheckerReport report = CheckLastRun();
    EXPECT_EQ(report.exitCode, ExitStatusUnderWine(row.exitStatus)) << report.output;
    ExpectExactly(report, row.findings);
}

INSTANTIATE_TEST_SUITE_P(Checker, LastRunLog, ::testing::ValuesIn(kWrittenLogs),
                         [](const ::testing::TestParamInfo<WrittenLogCase>& info) { return info.param.name; });

// A clean log is no clean start where another account could have written it, or changed what
// the launcher ran: under Wine the user's own account may change the folder, an error as in
// the plan.
TEST_F(LastRunCheck, CleanLogInAFolderOthersMayChangeIsAnError)
{
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.Write("zStartup_LT.log", "[zStartup] started\r\n[zStartup] stopped\r\n");
    const CheckerReport report = CheckLastRun();
    EXPECT_EQ(report.exitCode, 2u) << report.output;
    ExpectExactly(report, {});
}

// A log held by a program that shares nothing cannot be read; no run is made up for it.
TEST_F(LastRunCheck, LogHeldWithoutSharingIsUnreadable)
{
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.Write("zStartup_LT.log", "[zStartup] started\r\n[zStartup] stopped\r\n");
    HANDLE held =
        CreateFileA(folder_.PathOf("zStartup_LT.log").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const CheckerReport report = CheckLastRun();
    CloseHandle(held);
    EXPECT_EQ(report.exitCode, 2u) << report.output;
    ExpectExactly(report, {{"error", "last-run.log-unreadable", "{LOG}"}});
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

// A log last written after the check: the clock was set back since. The rule allows two
// minutes of drift.
struct ClockCase {
    const char* name;
    LONGLONG aheadSeconds;  // the log's last write, after the moment the check is started
    DWORD exitStatus;
    Findings findings;
};

const LONGLONG kYear = 365LL * 24 * 3600;

// clang-format off
const ClockCase kClocks[] = {
    {"YearAheadIsAClockSetBack", kYear, 1, {{"warning", "last-run.clock", "{LOG}"}}},
    {"HourAheadIsAClockSetBack", 3600, 1, {{"warning", "last-run.clock", "{LOG}"}}},
    {"ThreeMinutesAheadIsAClockSetBack", 180, 1, {{"warning", "last-run.clock", "{LOG}"}}},
    {"MinuteAheadIsDrift", 60, 0, {}},
};
// clang-format on

class LastRunClock : public LastRunCheck, public ::testing::WithParamInterface<ClockCase> {};

TEST_P(LastRunClock, LogWrittenAfterTheCheckIsWarned)
{
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.Write("zStartup_LT.log", kCleanRun);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ahead = {{now.dwLowDateTime, now.dwHighDateTime}};
    ahead.QuadPart += static_cast<ULONGLONG>(GetParam().aheadSeconds) * 10000000;
    const FILETIME written = {ahead.LowPart, ahead.HighPart};
    SYSTEMTIME utc;
    ASSERT_TRUE(FileTimeToSystemTime(&written, &utc));
    ASSERT_NO_FATAL_FAILURE(SetLastWrite(folder_.PathOf("zStartup_LT.log"), utc));

    const CheckerReport report = CheckLastRun();
    EXPECT_EQ(report.exitCode, ExitStatusUnderWine(GetParam().exitStatus)) << report.output;
    ExpectExactly(report, GetParam().findings);
}

INSTANTIATE_TEST_SUITE_P(Checker, LastRunClock, ::testing::ValuesIn(kClocks),
                         [](const ::testing::TestParamInfo<ClockCase>& info) { return info.param.name; });

// A launcher whose path the ANSI code page cannot hold logs to default_LT.log in the current
// folder of its own run. A clean default_LT.log in the checker's current folder is someone
// else's: never read as the launcher's log.
TEST_F(LastRunCheck, DefaultLogInTheCheckersFolderIsNotRead)
{
    if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252, have " << GetACP();
    folder_.Write("default_LT.log", kCleanRun);
    const CheckerReport report = CheckFromFolderOutsideTheCodePage(folder_.Path(), "--last-run --json");

    EXPECT_EQ(report.exitCode, 1u) << report.output;
    EXPECT_EQ(report.lines, std::vector<std::string>{}) << report.output;
    // The rights walk follows the launcher's own ANSI paths, which this folder has none of: the
    // warning alone keeps the report from clean.
    EXPECT_EQ(report.findings, (Findings{{"warning", "log.default-path", "default_LT.log"}})) << report.output;
    EXPECT_EQ(report.json["log"]["path"].text, "default_LT.log") << report.output;
    EXPECT_EQ(report.json["log"]["lastWritten"].kind, JsonValue::Kind::kNull) << report.output;
}

}  // namespace
