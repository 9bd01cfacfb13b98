// zStartupCheck end to end under Wine: one folder per case with a real launcher, list, batch
// file and test services, checking the plan, the findings and the exit status. Under Wine every
// folder belongs to, and may be changed by, the user's own account, so each case also expects
// the folder finding that exists to catch exactly that.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>

#include "tests/checker/checkeroutput.h"
#include "tests/harness/eventsquatter.h"
#include "tests/harness/launcherscenario.h"
#include "tests/harness/registeredservice.h"
#include "tests/harness/widetext.h"

namespace {

struct ServiceSetup {
    bool used = false;
    const char* options = "";
    DWORD state = SERVICE_STOPPED;  // brought there before the check
    bool disabled = false;
};

ServiceSetup Stopped(const char* options = "") { return {true, options, SERVICE_STOPPED, false}; }
ServiceSetup Running(const char* options = "") { return {true, options, SERVICE_RUNNING, false}; }
ServiceSetup Disabled() { return {true, "", SERVICE_STOPPED, true}; }
ServiceSetup Starting() { return {true, "--start-delay=never", SERVICE_START_PENDING, false}; }
ServiceSetup Stopping() { return {true, "--stopped-after=never", SERVICE_STOP_PENDING, false}; }

// A list written as UTF-16 big-endian, with its mark, after this prefix is taken off.
const char kBigEndian[] = "{UTF-16BE}";

// Texts may name {A} and {B} (the services), {AU} (A's name in upper case), {D} (A's display
// name) and {LIST} (the list).
struct CheckCase {
    const char* name;
    std::string list;  // "": no list
    ServiceSetup a, b;
    bool bDependsOnA;
    bool batch;
    std::vector<std::string> plan;
    std::vector<std::string> findings;  // beginnings of lines that must appear
};

const char kFolderFinding[] = "error: folder ";
// Wine's Task Scheduler lists no task, registered or not: nothing is known to start the launcher.
const char kNoTaskFinding[] = "warning: no scheduled task runs ";

// A value past the 256 characters of a service name, and the part the plan shows.
const std::string kLongValue(300, 'z');
const std::string kLongValueCut(256, 'z');

// clang-format off
const CheckCase kCases[] = {
    {"NoList", "", {}, {}, false, true, {"then: open "}, {"note: no service list {LIST}: nothing"}},
    {"RestartWithStopEventHasNoServiceFinding", "[STOP]\r\n0={A}\r\n[START]\r\n0={A}\r\n",
     Running("--event=plain"), {}, false, true, {"entry 0: stop {A}, then start {A}", "then: open "}, {}},
    {"GapInKeys", "[START]\r\n0={A}\r\n2={B}\r\n", Stopped(), Stopped(), false, true,
     {"entry 0: start {A}", "then: open "},
     {"error: service list {LIST}, [START] key 2 is never read: reading stops at key 1,"}},
    {"DisplayName", "[START]\r\n0={D}\r\n", Stopped(), {}, false, true, {"entry 0: start {D}", "then: open "},
     {"error: [START] key 0: \"{D}\" is the display name of service {A}; "}},
    {"UnknownService", "[STOP]\r\n0=zstNoSuchChecked\r\n", {}, {}, false, true,
     {"entry 0: stop zstNoSuchChecked", "then: open "},
     {"error: [STOP] key 0: no service zstNoSuchChecked is installed;"}},
    {"DisabledService", "[START]\r\n0={A}\r\n", Disabled(), {}, false, true, {"entry 0: start {A}", "then: open "},
     {"error: [START] key 0: service {A} is disabled,"}},
    {"RunningServiceStartedAgain", "[START]\r\n0={A}\r\n", Running(), {}, false, true,
     {"entry 0: start {A}", "then: open "}, {"error: [START] key 0: service {A} will already be running"}},
    {"StoppedServiceStopped", "[STOP]\r\n0={A}\r\n", Stopped(), {}, false, true, {"entry 0: stop {A}", "then: open "},
     {"error: [STOP] key 0: service {A} will not be running"}},
    {"ServiceStartedByAnEarlierEntryMayBeStopped", "[START]\r\n0={A}\r\n[STOP]\r\n1={A}\r\n", Stopped(), {}, false,
     true, {"entry 0: start {A}", "entry 1: stop {A}", "then: open "}, {}},
    {"DependentsRunning", "[STOP]\r\n0={A}\r\n", Running("--event=plain"), Running(), true, true,
     {"entry 0: stop {A}", "then: open "},
     {"error: [STOP] key 0: service {A} has dependents that are not stopped ({B}),"}},
    {"DependentStillStopping", "[STOP]\r\n0={A}\r\n", Running("--event=plain"), Stopping(), true, true,
     {"entry 0: stop {A}", "then: open "},
     {"error: [STOP] key 0: service {A} has dependents that are not stopped ({B} (stopping)),"}},
    {"StartingServiceStopped", "[STOP]\r\n0={A}\r\n", Starting(), {}, false, true,
     {"entry 0: stop {A}", "then: open "}, {"error: [STOP] key 0: service {A} is still starting"}},
    {"StopEventUnderRegisteredSpelling", "[STOP]\r\n0={AU}\r\n", Running("--event=mutex"), {}, false, true,
     {"entry 0: stop {AU}", "then: open "},
     {"note: [STOP] key 0: service {AU} has its stop event {A}.Event, but this account may not wait on it"}},
    {"RepeatedSectionAndKey", "[STOP]\r\n0={A}\r\n0=zstSecond\r\n[START]\r\n0={B}\r\n[STOP]\r\n1={B}\r\n",
     Running(), Stopped(), false, true, {"entry 0: stop {A}, then start {B}", "then: open "},
     {"error: service list {LIST}, [STOP] key 0 on line 3 repeats the key of line 2: the profile reader reads only "
      "the first value ({A}), so zstSecond is never read",
      "error: service list {LIST}, [STOP] on line 6 repeats the section of line 1: the profile reader reads only the "
      "first, so its key 1 ({B}) is never read"}},
    // The profile reader takes a carriage return before CR LF for a blank, as it takes spaces: 1 has no value.
    {"CarriageReturnLeftOnALineIsNoValue", "[START]\r\n0={A}\r\n[START]\r\r\n1=\r\r\n", Stopped(), {}, false, true,
     {"entry 0: start {A}", "then: open "}, {}},
    {"KeyBelowZero", "[START]\r\n0={A}\r\n/=zstSlash\r\n", Stopped(), {}, false, true,
     {"entry 0: start {A}", "then: open "},
     {"error: service list {LIST}, [START] key / is never read: reading starts at key 0"}},
    {"Utf16BigEndianList", std::string(kBigEndian) + "[START]\r\n0={A}\r\n", Stopped(), {}, false, true,
     {"then: open "}, {"error: service list {LIST} begins with the UTF-16 big-endian byte order mark"}},
    {"StopEventAbsent", "[STOP]\r\n0={A}\r\n", Running(), {}, false, true, {"entry 0: stop {A}", "then: open "},
     {"note: [STOP] key 0: service {A} has no stop event"}},
    {"StopEventNotToBeWaitedOn", "[STOP]\r\n0={A}\r\n", Running("--event=mutex"), {}, false, true,
     {"entry 0: stop {A}", "then: open "},
     {"note: [STOP] key 0: service {A} has its stop event {A}.Event, but this account may not wait on it"}},
    {"StopEventRefusedUnderTheGlobalName", "[STOP]\r\n0={A}\r\n", Running("--event=global --event-rights=none"), {},
     false, true, {"entry 0: stop {A}", "then: open "},
     {"warning: [STOP] key 0: service {A}: Global\\{A}.Event exists but cannot be opened to wait on and read its "
      "owner (error 5)"}},
    {"StopEventWithoutOwner", "[STOP]\r\n0={A}\r\n", Running("--event=global --event-without-descriptor"), {}, false,
     true, {"entry 0: stop {A}", "then: open "},
     {"note: [STOP] key 0: service {A} has its stop event Global\\{A}.Event, but its owner cannot be read"}},
    {"MissingBatch", "[START]\r\n0={A}\r\n", Stopped(), {}, false, false, {"entry 0: start {A}"},
     {"warning: no batch file "}},
    {"Utf8MarkBeforeFirstSection", "\xEF\xBB\xBF[START]\r\n0={A}\r\n", Stopped(), {}, false, true,
     {"entry 0: start {A}", "then: open "},
     {"error: service list {LIST}, section [START]: line 1 begins with a UTF-8 byte order mark"}},
    {"KeysAndSectionsNeverRead", "[STRAT]\r\n0=x\r\n[START]\r\n0={A}\r\n10=x\r\nA=x\r\n", Stopped(), {}, false,
     true, {"entry 0: start {A}", "then: open "},
     {"error: service list {LIST}, [START] key 10 is never read: keys are single characters",
      "error: service list {LIST}, [START] key A is never read: after key : comes ;",
      "error: service list {LIST}, section [STRAT] is never read"}},
    // Values of keys the launcher never reads come from the section at once: quotes still go.
    {"QuotedEmptyValueOfAnUnreadKeyIsEmpty", "[START]\r\n0={A}\r\nAB=\"\"\r\n CD = ' x '\r\n", Stopped(), {}, false,
     true, {"entry 0: start {A}", "then: open "},
     {"error: service list {LIST}, [START] key CD is never read: keys are single characters"}},
    {"ValueLongerThanAnyNameActsOnNoService", "[START]\r\n0=" + kLongValue + "\r\n", {}, {}, false, true,
     {"entry 0: start " + kLongValueCut, "then: open "},
     {"error: service list {LIST}, [START] key 0: the value is 300 characters long, longer than any service name, "
      "so the launcher acts on no service for it"}},
    // 511 characters and their quotes fill a 512-byte read two bytes short: the quotes count first.
    {"QuotedValueFillingTheFirstReadIsMeasuredWhole", "[START]\r\n0=\"" + std::string(511, 'q') + "\"\r\n", {}, {},
     false, true, {"entry 0: start " + std::string(256, 'q'), "then: open "},
     {"error: service list {LIST}, [START] key 0: the value is 511 characters long"}},
    {"GapDisplayNameAndUnknownServiceAtOnce", "[START]\r\n0={D}\r\n1=zstNoSuchChecked\r\n3={B}\r\n", Stopped(),
     Stopped(), false, true, {"entry 0: start {D}", "entry 1: start zstNoSuchChecked", "then: open "},
     {"error: service list {LIST}, [START] key 3 is never read", "error: [START] key 0: \"{D}\" is the display name",
      "error: [START] key 1: no service zstNoSuchChecked"}},
};
// clang-format on

class CheckerRun : public LauncherScenario, public ::testing::WithParamInterface<CheckCase> {
protected:
    std::string Fill(std::string text) const
    {
        for (const auto& entry : values_) {
            for (size_t at; (at = text.find(entry.first)) != std::string::npos;)
                text.replace(at, entry.first.size(), entry.second);
        }
        return text;
    }

    std::map<std::string, std::string> values_;
};

void Prepare(RegisteredService& service, const ServiceSetup& setup)
{
    if (setup.disabled) service.Configure(SERVICE_DISABLED);
    if (setup.state == SERVICE_STOPPED) return;
    if (setup.state == SERVICE_START_PENDING) {
        ASSERT_EQ(service.Start(), 0u);
    } else {
        ASSERT_EQ(service.StartAndWaitRunning(), 0u);
    }
    if (setup.state == SERVICE_STOP_PENDING) {
        ASSERT_EQ(service.SendStop(), 0u);
    }
    ASSERT_TRUE(service.WaitForState(setup.state, 5000));
}

// The list's bytes: as written, or UTF-16 big-endian after kBigEndian.
std::string ListBytes(const std::string& list)
{
    if (list.compare(0, sizeof kBigEndian - 1, kBigEndian) != 0) return list;
    std::string bytes = "\xFE\xFF";
    for (size_t i = sizeof kBigEndian - 1; i < list.size(); ++i) bytes += std::string(1, '\0') + list[i];
    return bytes;
}

TEST_P(CheckerRun, ShowsPlanAndFindings)
{
    const CheckCase& row = GetParam();
    RegisteredService a(row.a.options), b(row.b.options);
    std::string upper = a.Name();
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    values_ = {{"{AU}", upper},
               {"{A}", a.Name()},
               {"{B}", b.Name()},
               {"{D}", "zst display " + a.Name()},
               {"{LIST}", folder_.PathOf("Services.ini")}};
    a.Configure(SERVICE_NO_CHANGE, values_["{D}"]);
    if (row.bDependsOnA) b.Configure(SERVICE_NO_CHANGE, "", a.Name());
    ASSERT_NO_FATAL_FAILURE(Prepare(b, row.b));
    ASSERT_NO_FATAL_FAILURE(Prepare(a, row.a));
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    if (!row.list.empty()) folder_.Write("Services.ini", ListBytes(Fill(row.list)));
    if (row.batch) folder_.Write("zStartup.bat", "@echo off\r\n");

    ProgramRun run = RunChecker("\"" + folder_.PathOf("zStartup.exe") + "\"", folder_.Path());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 2u) << "the folder finding is an error under Wine";

    std::vector<std::string> lines = Lines(run.output), plan, findings;
    for (const std::string& line : lines) (IsFinding(line) ? findings : plan).push_back(line);
    std::vector<std::string> expectedPlan;
    for (const std::string& line : row.plan) expectedPlan.push_back(Fill(line));
    for (std::string& line : plan) {
        if (StartsWith(line, "then: open ")) line = "then: open ";
    }
    EXPECT_EQ(plan, expectedPlan) << run.output;

    std::vector<std::string> expected = {kFolderFinding, kNoTaskFinding};
    for (const std::string& finding : row.findings) expected.push_back(Fill(finding));
    for (const std::string& prefix : expected) {
        bool found = false;
        for (const std::string& line : findings) found = found || StartsWith(line, prefix);
        EXPECT_TRUE(found) << "no finding " << prefix << "\n" << run.output;
    }
    // Every error and warning is one the case expects.
    for (const std::string& line : findings) {
        if (StartsWith(line, "note: ")) continue;
        bool known = false;
        for (const std::string& prefix : expected) known = known || StartsWith(line, prefix);
        EXPECT_TRUE(known) << "unexpected: " << line;
    }
}

INSTANTIATE_TEST_SUITE_P(Checker, CheckerRun, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CheckCase>& info) { return info.param.name; });

// A stop event that another program made, or kept alive: a warning the launcher will not
// believe it, with the reason.
enum class EventSquat { kForeignGlobalEvent, kGlobalMutex, kKeptAlive };

struct SquatFindingCase {
    const char* name;
    const char* options;
    EventSquat squat;
    std::string finding;  // {A}: the service
};

// clang-format off
const SquatFindingCase kSquatFindings[] = {
    {"ForeignOwnedGlobalEvent", "", EventSquat::kForeignGlobalEvent,
     "warning: [STOP] key 0: service {A} has its stop event Global\\{A}.Event, but it belongs to S-1-5-21-1-2-3-1001"},
    {"GlobalNameOfAnotherKind", "--event=plain", EventSquat::kGlobalMutex,
     "warning: [STOP] key 0: service {A}: Global\\{A}.Event exists but cannot be opened to wait on and read its owner "
     "(error 6)"},
    {"SignalledSinceTheLastStop", "--event=global --keep-existing-event", EventSquat::kKeptAlive,
     "warning: [STOP] key 0: service {A} has its stop event Global\\{A}.Event, but it is signalled already"},
};
// clang-format on

class CheckerStopEventSquat : public LauncherScenario, public ::testing::WithParamInterface<SquatFindingCase> {};

TEST_P(CheckerStopEventSquat, WarnsThatTheLauncherWillNotBelieveIt)
{
    const SquatFindingCase& row = GetParam();
    RegisteredService service(row.options);
    const std::string globalName = "Global\\" + service.Name() + ".Event";
    HANDLE squat = nullptr;
    if (row.squat == EventSquat::kForeignGlobalEvent) {
        squat = CreateOwnedEvent(globalName, "S-1-5-21-1-2-3-1001", false);
    }
    if (row.squat == EventSquat::kGlobalMutex) squat = CreateMutexA(nullptr, FALSE, globalName.c_str());
    ASSERT_EQ(service.StartAndWaitRunning(), 0u);
    if (row.squat == EventSquat::kKeptAlive) squat = KeepEventAcrossRestart(service, globalName);
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.Write("Services.ini", "[STOP]\r\n0=" + service.Name() + "\r\n");
    folder_.Write("zStartup.bat", "@echo off\r\n");

    ProgramRun run = RunChecker("\"" + folder_.PathOf("zStartup.exe") + "\"", folder_.Path());
    if (squat != nullptr) CloseHandle(squat);

    std::string finding = row.finding;
    for (size_t at; (at = finding.find("{A}")) != std::string::npos;) finding.replace(at, 3, service.Name());
    bool found = false;
    for (const std::string& line : Lines(run.output)) found = found || StartsWith(line, finding);
    EXPECT_TRUE(found) << "no finding " << finding << "\n" << run.output;
}

INSTANTIATE_TEST_SUITE_P(Checker, CheckerStopEventSquat, ::testing::ValuesIn(kSquatFindings),
                         [](const ::testing::TestParamInfo<SquatFindingCase>& info) { return info.param.name; });

struct CannotRunCase {
    const char* name;
    const char* arguments;
    const char* why;
};

// clang-format off
const CannotRunCase kCannotRun[] = {
    {"TooManyArguments", "a b", "zStartupCheck: too many arguments\r\n"},
    {"NoLauncherThere", "C:\\zstNoSuchFolder\\zStartup.exe",
     "zStartupCheck: no launcher at C:\\zstNoSuchFolder\\zStartup.exe\r\n"},
    {"FolderIsNoLauncher", "C:\\windows", "zStartupCheck: no launcher at C:\\windows\r\n"},
    {"TaskWithoutFile", "--task", "zStartupCheck: --task needs a task definition file\r\n"},
    {"TaskFileForgottenBeforeAnOption", "--task --json", "zStartupCheck: --task needs a task definition file\r\n"},
    {"TaskTwice", "--task a.xml --task b.xml", "zStartupCheck: --task given twice\r\n"},
    {"TaskWithLastRun", "--last-run --task a.xml",
     "zStartupCheck: --task judges a task for the plan, not with --last-run\r\n"},
    // Error 3: the path is not found (the folder is missing).
    {"TaskFileMissing", "--task C:\\zstNoSuchFolder\\zStartup.task.xml zStartup.exe",
     "zStartupCheck: task definition C:\\zstNoSuchFolder\\zStartup.task.xml cannot be opened (error 3)\r\n"},
};
// clang-format on

class CheckerCannotRun : public ::testing::TestWithParam<CannotRunCase> {};

TEST_P(CheckerCannotRun, ExitsThreeSayingWhy)
{
    ProgramRun run = RunChecker(GetParam().arguments, BesideThisProgram(""));
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_TRUE(StartsWith(run.output, GetParam().why)) << run.output;
}

INSTANTIATE_TEST_SUITE_P(Checker, CheckerCannotRun, ::testing::ValuesIn(kCannotRun),
                         [](const ::testing::TestParamInfo<CannotRunCase>& info) { return info.param.name; });

// Names, sizes and times of everything in a folder but "." and "..", which other tests change.
std::string Snapshot(const std::string& folder)
{
    std::string snapshot;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return snapshot;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        snapshot += name + " " + std::to_string(found.nFileSizeLow) + " " +
                    std::to_string(found.ftLastWriteTime.dwLowDateTime) + "\n";
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return snapshot;
}

class CheckerFolder : public LauncherScenario {};

// Found through its own wide path, as the checker takes its argument; the launcher there
// would read its path through the ANSI code page.
TEST_F(CheckerFolder, NameOutsideTheCodePageIsAnError)
{
    if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252, have " << GetACP();
    const std::wstring directory = Wide(folder_.Path()) + L"\\\u041F\u043E\u043A\u0430\u0437";
    ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
    for (const wchar_t* program : {L"zStartup.exe", L"zStartupCheck.exe"}) {
        const std::wstring built = Wide(BesideThisProgram("")) + program;
        ASSERT_TRUE(CopyFileW(built.c_str(), (directory + L"\\" + program).c_str(), FALSE));
    }
    ProgramLaunch launch;
    launch.widePath = directory + L"\\zStartupCheck.exe";
    launch.directory = folder_.Path();
    ProgramRun run = RunProgram(launch);
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_NE(run.output.find("error: folder of "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("cannot be written in the ANSI code page (1252)"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("warning: log: default_LT.log"), std::string::npos) << run.output;
}

TEST_F(CheckerFolder, ListThatIsAFolderIsAnError)
{
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.MakeFolder("Services.ini");
    ProgramRun run = RunChecker("\"" + folder_.PathOf("zStartup.exe") + "\"", folder_.Path());
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_NE(run.output.find("error: " + folder_.PathOf("Services.ini") + " is a folder, not a service list"),
              std::string::npos)
        << run.output;
}

// The log held by another program, as the launcher would meet it: a viewer's read access,
// shared for writing, leaves it writable; another writer, or a reader sharing nothing, does not.
TEST_F(CheckerFolder, LogHeldByAnotherProgram)
{
    const struct {
        DWORD access;
        DWORD share;
        bool held;
    } kHolders[] = {{GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, false},
                    {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
                    {GENERIC_READ, 0, true}};
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.Write("zStartup_LT.log", "earlier line\r\n");
    for (const auto& holder : kHolders) {
        HANDLE held = CreateFileW(Wide(folder_.PathOf("zStartup_LT.log")).c_str(), holder.access, holder.share, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        ProgramRun run = RunChecker("\"" + folder_.PathOf("zStartup.exe") + "\"", folder_.Path());
        CloseHandle(held);
        const std::string warning = "warning: log " + folder_.PathOf("zStartup_LT.log") + ": another program holds it";
        EXPECT_EQ(run.output.find(warning) != std::string::npos, holder.held) << run.output;
    }
}

// A folder in the log's place refuses the launcher with error 5, as a file it may not write
// would: the advice must be to remove the folder, not to grant rights.
TEST_F(CheckerFolder, LogThatIsAFolderIsNamedSo)
{
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.MakeFolder("zStartup_LT.log");
    ProgramRun run = RunChecker("\"" + folder_.PathOf("zStartup.exe") + "\"", folder_.Path());
    const std::string log = folder_.PathOf("zStartup_LT.log");
    EXPECT_NE(run.output.find("warning: log " + log + " is a folder, not a file"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("write access"), std::string::npos) << run.output;
}

TEST_F(CheckerFolder, IsLeftAsItWas)
{
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.Write("Services.ini", "[STOP]\r\n0=zstNoSuchChecked\r\n");
    folder_.Write("zStartup.bat", "@echo off\r\n");
    for (bool withLog : {true, false}) {
        if (withLog)
            folder_.Write("zStartup_LT.log", "earlier line\r\n");
        else
            DeleteFileA(folder_.PathOf("zStartup_LT.log").c_str());
        const std::string before = Snapshot(folder_.Path());
        RunChecker("\"" + folder_.PathOf("zStartup.exe") + "\"", folder_.Path());
        EXPECT_EQ(Snapshot(folder_.Path()), before) << (withLog ? "with a log" : "without a log");
    }
}

}  // namespace
