// zStartupCheck end to end under Wine: one folder per case with a real launcher, list, batch
// file and test services, checking the plan, the findings (severity, code and subject, from
// --json) and the exit status. Under Wine every folder belongs to, and may be changed by, the
// user's own account, so each case also expects the folder finding that exists to catch exactly
// that.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <stdexcept>

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
// name), {LIST}, {BATCH}, {LOG} and {LAUNCHER} (the paths) and {FOLDER}.
struct CheckCase {
    const char* name;
    std::string list;  // "": no list
    ServiceSetup a, b;
    bool bDependsOnA;
    bool batch;
    std::vector<std::string> plan;
    Findings findings;  // besides WineFindings: exactly these
};

// The plan's note about this build where it is a 32-bit one on 64-bit Windows.
Findings BuildFindings()
{
    if (!Built32BitOn64BitWindows()) return {};
    return {{"note", "platform.32-bit-on-64-bit", "{LAUNCHER}"}};
}

// What every plan of a launcher in a fresh folder under Wine reports: the folder may be
// changed by the user's own account, and where the log goes. (And, unless --task gives a
// definition, that no task runs it: Wine's Task Scheduler lists none.)
Findings WineFindings()
{
    Findings findings = {{"error", "folder.untrusted-writer", "{FOLDER}"}, {"note", "log.path", "{LOG}"}};
    for (const ReportedFinding& finding : BuildFindings()) findings.push_back(finding);
    return findings;
}

// A value past the 256 characters of a service name, and the part the plan shows.
const std::string kLongValue(300, 'z');
const std::string kLongValueCut(256, 'z');

// clang-format off
const CheckCase kCases[] = {
    {"NoList", "", {}, {}, false, true, {"then: open {BATCH}"}, {{"note", "list.absent", "{LIST}"}}},
    {"RestartWithStopEventHasNoServiceFinding", "[STOP]\r\n0={A}\r\n[START]\r\n0={A}\r\n",
     Running("--event=plain"), {}, false, true, {"entry 0: stop {A}, then start {A}", "then: open {BATCH}"}, {}},
    {"GapInKeys", "[START]\r\n0={A}\r\n2={B}\r\n", Stopped(), Stopped(), false, true,
     {"entry 0: start {A}", "then: open {BATCH}"}, {{"error", "list.key-gap", "[START] key 2"}}},
    {"DisplayName", "[START]\r\n0={D}\r\n", Stopped(), {}, false, true, {"entry 0: start {D}", "then: open {BATCH}"},
     {{"error", "service.display-name", "{D}"}}},
    {"UnknownService", "[STOP]\r\n0=zstNoSuchChecked\r\n", {}, {}, false, true,
     {"entry 0: stop zstNoSuchChecked", "then: open {BATCH}"},
     {{"error", "service.not-installed", "zstNoSuchChecked"}}},
    {"DisabledService", "[START]\r\n0={A}\r\n", Disabled(), {}, false, true,
     {"entry 0: start {A}", "then: open {BATCH}"}, {{"error", "service.disabled", "{A}"}}},
    {"RunningServiceStartedAgain", "[START]\r\n0={A}\r\n", Running(), {}, false, true,
     {"entry 0: start {A}", "then: open {BATCH}"}, {{"error", "service.already-running", "{A}"}}},
    {"StoppedServiceStopped", "[STOP]\r\n0={A}\r\n", Stopped(), {}, false, true,
     {"entry 0: stop {A}", "then: open {BATCH}"}, {{"error", "service.not-running", "{A}"}}},
    // Its stop event is made only once it runs, so whether it will have one cannot be told.
    {"ServiceStartedByAnEarlierEntryMayBeStopped", "[START]\r\n0={A}\r\n[STOP]\r\n1={A}\r\n", Stopped(), {}, false,
     true, {"entry 0: start {A}", "entry 1: stop {A}", "then: open {BATCH}"}, {}},
    {"DependentsRunning", "[STOP]\r\n0={A}\r\n", Running("--event=plain"), Running(), true, true,
     {"entry 0: stop {A}", "then: open {BATCH}"}, {{"error", "service.dependents-running", "{A}"}}},
    {"DependentStillStopping", "[STOP]\r\n0={A}\r\n", Running("--event=plain"), Stopping(), true, true,
     {"entry 0: stop {A}", "then: open {BATCH}"}, {{"error", "service.dependents-running", "{A}"}}},
    {"StartingServiceStopped", "[STOP]\r\n0={A}\r\n", Starting(), {}, false, true,
     {"entry 0: stop {A}", "then: open {BATCH}"}, {{"error", "service.start-pending", "{A}"}}},
    {"StopEventUnderRegisteredSpelling", "[STOP]\r\n0={AU}\r\n", Running("--event=mutex"), {}, false, true,
     {"entry 0: stop {AU}", "then: open {BATCH}"}, {{"note", "service.stop-event-not-waitable", "{AU}"}}},
    {"RepeatedSectionAndKey", "[STOP]\r\n0={A}\r\n0=zstSecond\r\n[START]\r\n0={B}\r\n[STOP]\r\n1={B}\r\n",
     Running(), Stopped(), false, true, {"entry 0: stop {A}, then start {B}", "then: open {BATCH}"},
     {{"error", "list.key-repeated", "[STOP] key 0"}, {"error", "list.section-repeated", "[STOP] line 6"},
      {"note", "service.no-stop-event", "{A}"}}},
    // The profile reader takes a carriage return before CR LF for a blank, as it takes spaces: 1 has no value.
    {"CarriageReturnLeftOnALineIsNoValue", "[START]\r\n0={A}\r\n[START]\r\r\n1=\r\r\n", Stopped(), {}, false, true,
     {"entry 0: start {A}", "then: open {BATCH}"}, {}},
    {"KeyBelowZero", "[START]\r\n0={A}\r\n/=zstSlash\r\n", Stopped(), {}, false, true,
     {"entry 0: start {A}", "then: open {BATCH}"}, {{"error", "list.key-below-zero", "[START] key /"}}},
    {"Utf16BigEndianList", std::string(kBigEndian) + "[START]\r\n0={A}\r\n", Stopped(), {}, false, true,
     {"then: open {BATCH}"}, {{"error", "list.utf16be-mark", "{LIST}"}}},
    {"StopEventAbsent", "[STOP]\r\n0={A}\r\n", Running(), {}, false, true, {"entry 0: stop {A}", "then: open {BATCH}"},
     {{"note", "service.no-stop-event", "{A}"}}},
    {"StopEventNotToBeWaitedOn", "[STOP]\r\n0={A}\r\n", Running("--event=mutex"), {}, false, true,
     {"entry 0: stop {A}", "then: open {BATCH}"}, {{"note", "service.stop-event-not-waitable", "{A}"}}},
    {"StopEventRefusedUnderTheGlobalName", "[STOP]\r\n0={A}\r\n", Running("--event=global --event-rights=none"), {},
     false, true, {"entry 0: stop {A}", "then: open {BATCH}"},
     {{"warning", "service.stop-event-global-refused", "{A}"}}},
    {"StopEventWithoutOwner", "[STOP]\r\n0={A}\r\n", Running("--event=global --event-without-descriptor"), {}, false,
     true, {"entry 0: stop {A}", "then: open {BATCH}"}, {{"note", "service.stop-event-owner-unknown", "{A}"}}},
    {"MissingBatch", "[START]\r\n0={A}\r\n", Stopped(), {}, false, false, {"entry 0: start {A}"},
     {{"warning", "batch.missing", "{BATCH}"}}},
    {"Utf8MarkBeforeFirstSection", "\xEF\xBB\xBF[START]\r\n0={A}\r\n", Stopped(), {}, false, true,
     {"entry 0: start {A}", "then: open {BATCH}"}, {{"error", "list.utf8-mark", "[START]"}}},
    {"KeysAndSectionsNeverRead", "[STRAT]\r\n0=x\r\n[START]\r\n0={A}\r\n10=x\r\nA=x\r\n", Stopped(), {}, false,
     true, {"entry 0: start {A}", "then: open {BATCH}"},
     {{"error", "list.key-not-one-character", "[START] key 10"}, {"error", "list.key-past-colon", "[START] key A"},
      {"error", "list.section-unknown", "[STRAT]"}}},
    // Values of keys the launcher never reads come from the section at once: quotes still go.
    {"QuotedEmptyValueOfAnUnreadKeyIsEmpty", "[START]\r\n0={A}\r\nAB=\"\"\r\n CD = ' x '\r\n", Stopped(), {}, false,
     true, {"entry 0: start {A}", "then: open {BATCH}"}, {{"error", "list.key-not-one-character", "[START] key CD"}}},
    {"ValueLongerThanAnyNameActsOnNoService", "[START]\r\n0=" + kLongValue + "\r\n", {}, {}, false, true,
     {"entry 0: start " + kLongValueCut, "then: open {BATCH}"}, {{"error", "list.value-too-long", "[START] key 0"}}},
    // 511 characters and their quotes fill a 512-byte read two bytes short: the quotes count first.
    {"QuotedValueFillingTheFirstReadIsMeasuredWhole", "[START]\r\n0=\"" + std::string(511, 'q') + "\"\r\n", {}, {},
     false, true, {"entry 0: start " + std::string(256, 'q'), "then: open {BATCH}"},
     {{"error", "list.value-too-long", "[START] key 0"}}},
    // The profile reader names a section by what lies before the last ']', and takes a line of
    // '[' without one for a key of the section it is in.
    {"SectionNamedUpToTheLastBracket", "[START]\r\n0={A}\r\n[ab]c]\r\n0=x\r\n", Stopped(), {}, false, true,
     {"entry 0: start {A}", "then: open {BATCH}"}, {{"error", "list.section-unknown", "[ab]c]"}}},
    {"BracketLineWithoutItsCloseLeavesTheKeysInTheSection", "[START]\r\n0={A}\r\n[STRAT\r\nxy=1\r\n[OTHER]\r\n[abc\r\nk=v\r\n",
     Stopped(), {}, false, true, {"entry 0: start {A}", "then: open {BATCH}"},
     {{"error", "list.key-not-one-character", "[START] key xy"}, {"error", "list.section-unknown", "[OTHER]"}}},
    {"KeyRepeatedAfterABracketLineWithoutItsClose", "[STOP]\r\n0={A}\r\n[START\r\n0=zstSecond\r\n", Running(), {},
     false, true, {"entry 0: stop {A}", "then: open {BATCH}"},
     {{"error", "list.key-repeated", "[STOP] key 0"}, {"note", "service.no-stop-event", "{A}"}}},
    // Past the first MiB only [STOP] and [START] are still read, as the launcher reads them.
    {"SectionsPastTheFirstMebibyte", "[START]\r\n0={A}\r\n;" + std::string(1100000, 'x') +
     "\r\n[LATE]\r\n0=x\r\n[STOP]\r\n5=x\r\n", Stopped(), {}, false, true,
     {"entry 0: start {A}", "then: open {BATCH}"},
     {{"note", "list.sections-not-judged", "{LIST}"}, {"error", "list.key-gap", "[STOP] key 5"}}},
    {"GapDisplayNameAndUnknownServiceAtOnce", "[START]\r\n0={D}\r\n1=zstNoSuchChecked\r\n3={B}\r\n", Stopped(),
     Stopped(), false, true, {"entry 0: start {D}", "entry 1: start zstNoSuchChecked", "then: open {BATCH}"},
     {{"error", "list.key-gap", "[START] key 3"}, {"error", "service.display-name", "{D}"},
      {"error", "service.not-installed", "zstNoSuchChecked"}}},
};
// clang-format on

// A launcher in a fresh folder, and the paths and names that expected values may name.
class CheckerScenario : public LauncherScenario {
protected:
    void SetUp() override { Place(folder_.Path()); }

    // The launcher's folder is folder, and the paths of {FOLDER}, {LAUNCHER}... are there.
    void Place(const std::string& folder)
    {
        values_["{FOLDER}"] = folder;
        values_["{LAUNCHER}"] = folder + "\\zStartup.exe";
        values_["{LIST}"] = folder + "\\Services.ini";
        values_["{BATCH}"] = folder + "\\zStartup.bat";
        values_["{LOG}"] = folder + "\\zStartup_LT.log";
    }

    std::string Fill(std::string text) const
    {
        for (const auto& entry : values_) {
            for (size_t at; (at = text.find(entry.first)) != std::string::npos;)
                text.replace(at, entry.first.size(), entry.second);
        }
        return text;
    }

    // zStartupCheck --json on the launcher, then arguments.
    CheckerReport Check(const std::string& arguments = "") const
    {
        return CheckJson("\"" + Fill("{LAUNCHER}") + "\" " + arguments, Fill("{FOLDER}"));
    }

    void ExpectExactly(const CheckerReport& report, Findings expected) const
    {
        for (ReportedFinding& finding : expected) finding.subject = Fill(finding.subject);
        EXPECT_EQ(report.findings, Sorted(expected)) << report.output;
    }

    // The report holds exactly the expected findings, WineFindings and, with no --task, the
    // registered tasks' finding.
    void ExpectFindings(const CheckerReport& report, const Findings& expected, bool taskFile = false) const
    {
        Findings all = WineFindings();
        if (!taskFile) all.push_back({"warning", "task.none", "{LAUNCHER}"});
        all.insert(all.end(), expected.begin(), expected.end());
        ExpectExactly(report, all);
    }

    std::map<std::string, std::string> values_;
};

class CheckerRun : public CheckerScenario, public ::testing::WithParamInterface<CheckCase> {};

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
    values_["{AU}"] = upper;
    values_["{A}"] = a.Name();
    values_["{B}"] = b.Name();
    values_["{D}"] = "zst display " + a.Name();
    a.Configure(SERVICE_NO_CHANGE, values_["{D}"]);
    if (row.bDependsOnA) b.Configure(SERVICE_NO_CHANGE, "", a.Name());
    ASSERT_NO_FATAL_FAILURE(Prepare(b, row.b));
    ASSERT_NO_FATAL_FAILURE(Prepare(a, row.a));
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    if (!row.list.empty()) folder_.Write("Services.ini", ListBytes(Fill(row.list)));
    if (row.batch) folder_.Write("zStartup.bat", "@echo off\r\n");

    const CheckerReport report = Check();
    EXPECT_EQ(report.exitCode, 2u) << "the folder finding is an error under Wine";
    std::vector<std::string> expectedPlan;
    for (const std::string& line : row.plan) expectedPlan.push_back(Fill(line));
    EXPECT_EQ(report.lines, expectedPlan) << report.output;
    ExpectFindings(report, row.findings);
}

INSTANTIATE_TEST_SUITE_P(Checker, CheckerRun, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CheckCase>& info) { return info.param.name; });

// A stop event that another program made, or kept alive: a warning the launcher will not
// believe it, with the reason; a note where the owner can be proven neither way.
enum class EventSquat { kForeignGlobalEvent, kGlobalMutex, kKeptAlive };

struct SquatFindingCase {
    const char* name;
    const char* options;
    EventSquat squat;
    const char* severity;  // of the finding about the service
    const char* code;
    const char* owner = "S-1-5-21-1-2-3-1001";  // of the foreign event
    const char* account = nullptr;              // the service's configured account; null: LocalSystem
};

// clang-format off
const SquatFindingCase kSquatFindings[] = {
    {"ForeignOwnedGlobalEvent", "", EventSquat::kForeignGlobalEvent, "warning", "service.stop-event-foreign-owner"},
    {"GlobalNameOfAnotherKind", "--event=plain", EventSquat::kGlobalMutex, "warning",
     "service.stop-event-global-refused"},
    {"SignalledSinceTheLastStop", "--event=global --keep-existing-event", EventSquat::kKeptAlive,
     "warning", "service.stop-event-signalled"},
    {"LocalServicesEventForALocalSystemService", "", EventSquat::kForeignGlobalEvent, "warning",
     "service.stop-event-foreign-owner", "S-1-5-19"},
    {"EventOfAServiceRunningAsADomainAccount", "", EventSquat::kForeignGlobalEvent, "note",
     "service.stop-event-owner-unproven", "S-1-5-18", "ZSTDOMAIN\\svc"},
};
// clang-format on

class CheckerStopEventSquat : public CheckerScenario, public ::testing::WithParamInterface<SquatFindingCase> {};

TEST_P(CheckerStopEventSquat, WarnsThatTheLauncherWillNotBelieveIt)
{
    const SquatFindingCase& row = GetParam();
    RegisteredService service(row.options);
    const std::string globalName = "Global\\" + service.Name() + ".Event";
    HANDLE squat = nullptr;
    if (row.account != nullptr) service.RunAs(row.account);
    if (row.squat == EventSquat::kForeignGlobalEvent) squat = CreateOwnedEvent(globalName, row.owner, false);
    if (row.squat == EventSquat::kGlobalMutex) squat = CreateMutexA(nullptr, FALSE, globalName.c_str());
    ASSERT_EQ(service.StartAndWaitRunning(), 0u);
    if (row.squat == EventSquat::kKeptAlive) squat = KeepEventAcrossRestart(service, globalName);
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.Write("Services.ini", "[STOP]\r\n0=" + service.Name() + "\r\n");
    folder_.Write("zStartup.bat", "@echo off\r\n");

    const CheckerReport report = Check();
    if (squat != nullptr) CloseHandle(squat);
    ExpectFindings(report, {{row.severity, row.code, service.Name()}});
}

INSTANTIATE_TEST_SUITE_P(Checker, CheckerStopEventSquat, ::testing::ValuesIn(kSquatFindings),
                         [](const ::testing::TestParamInfo<SquatFindingCase>& info) { return info.param.name; });

// The check cannot run: status 3, and with --json one finding that says why.
struct CannotRunCase {
    const char* name;
    const char* arguments;
    ReportedFinding finding;
};

// clang-format off
const CannotRunCase kCannotRun[] = {
    {"TooManyArguments", "a b", {"error", "check.bad-arguments", "zStartupCheck"}},
    {"NoLauncherThere", "C:\\zstNoSuchFolder\\zStartup.exe",
     {"error", "check.no-launcher", "C:\\zstNoSuchFolder\\zStartup.exe"}},
    {"FolderIsNoLauncher", "C:\\windows", {"error", "check.no-launcher", "C:\\windows"}},
    {"TaskWithoutFile", "--task", {"error", "check.bad-arguments", "zStartupCheck"}},
    // Taken as a file, the option would be a definition that cannot be read.
    {"TaskFileForgottenBeforeAnOption", "--task --last-run", {"error", "check.bad-arguments", "zStartupCheck"}},
    {"TaskTwice", "--task a.xml --task b.xml", {"error", "check.bad-arguments", "zStartupCheck"}},
    {"TaskWithLastRun", "--last-run --task a.xml", {"error", "check.bad-arguments", "zStartupCheck"}},
    // Error 3: the path is not found (the folder is missing).
    {"TaskFileMissing", "--task C:\\zstNoSuchFolder\\zStartup.task.xml zStartup.exe",
     {"error", "check.task-unreadable", "C:\\zstNoSuchFolder\\zStartup.task.xml"}},
};
// clang-format on

class CheckerCannotRun : public ::testing::TestWithParam<CannotRunCase> {};

TEST_P(CheckerCannotRun, ExitsThreeSayingWhy)
{
    const CheckerReport report = CheckJson(GetParam().arguments, BesideThisProgram(""));
    EXPECT_EQ(report.exitCode, 3u);
    EXPECT_EQ(report.findings, Findings{GetParam().finding}) << report.output;
}

INSTANTIATE_TEST_SUITE_P(Checker, CheckerCannotRun, ::testing::ValuesIn(kCannotRun),
                         [](const ::testing::TestParamInfo<CannotRunCase>& info) { return info.param.name; });

// --task FILE: a definition written from Microsoft's Task Scheduler schema, as schtasks /Query
// /XML exports one (UTF-16 LE with its mark), judged in place of the registered tasks. Wine's
// service manager gives every service an empty DACL (QueryServiceObjectSecurity answers "D:"),
// so there a principal that is not elevated is granted nothing by any service.
struct TaskFileCase {
    const char* name;
    std::string triggers, principal, settings, command;  // {LAUNCHER} and {FOLDER} as above
    Findings findings;                                   // besides WineFindings
    std::string list = "";                               // "": none; {A} names a running test service
    std::string otherActions = "";                       // after the Exec action
};

const char kBootTrigger[] = "<BootTrigger><Enabled>true</Enabled></BootTrigger>";
const char kLogonTrigger[] = "<LogonTrigger/>";
const char kLocalSystem[] =
    "<Principal id=\"Author\"><UserId>S-1-5-18</UserId>"
    "<RunLevel>HighestAvailable</RunLevel></Principal>";
// Elevated, and in the session of whoever logs on: no finding of its own.
const char kAdministrators[] =
    "<Principal id=\"Author\"><GroupId>S-1-5-32-544</GroupId><RunLevel>HighestAvailable</RunLevel></Principal>";
const char kUsersHighest[] =
    "<Principal id=\"Author\"><GroupId>S-1-5-32-545</GroupId><RunLevel>HighestAvailable</RunLevel></Principal>";
const char kPackageSettings[] =
    "<MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"
    "<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
    "<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries><ExecutionTimeLimit>PT15M</ExecutionTimeLimit>";
const std::string kEverySettingAgainstIt =
    "<MultipleInstancesPolicy>Parallel</MultipleInstancesPolicy><ExecutionTimeLimit>PT1M</ExecutionTimeLimit>"
    "<RunOnlyIfNetworkAvailable>true</RunOnlyIfNetworkAvailable>";
const char kRestartA[] = "[STOP]\r\n0={A}\r\n[START]\r\n0={A}\r\n";

std::string Limited(const char* limit)
{
    std::string settings = kPackageSettings;
    return settings.replace(settings.find("PT15M"), 5, limit);
}

// clang-format off
const TaskFileCase kTaskFiles[] = {
    {"PackageDefinitionGivesNoTaskFinding", kLogonTrigger, kAdministrators, kPackageSettings, "{LAUNCHER}", {}},
    // Session 0 shows nothing that the batch file opens.
    {"BootAsLocalSystemShowsNothing", kBootTrigger, kLocalSystem, kPackageSettings, "{LAUNCHER}",
     {{"warning", "task.session-0", "{TASK}"}}},
    {"DisabledIsAnError", kLogonTrigger, kAdministrators, kPackageSettings + std::string("<Enabled>false</Enabled>"),
     "{LAUNCHER}", {{"error", "task.disabled", "{TASK}"}}},
    {"AnotherProgramIsAnError", kLogonTrigger, kAdministrators, kPackageSettings, "C:\\windows\\notepad.exe",
     {{"error", "task.other-launcher", "{TASK}"}}},
    // Left out: the batteries' settings default to true, the principal to the registering user.
    {"EverySettingAgainstTheLauncher", "", "", kEverySettingAgainstIt, "{LAUNCHER}",
     {{"warning", "task.no-start-trigger", "{TASK}"}, {"warning", "task.battery", "{TASK}"},
      {"warning", "task.conditions", "{TASK}"}, {"warning", "task.instances", "{TASK}"},
      {"warning", "task.time-limit", "{TASK}"}}},
    // Who runs it, against a real service's descriptor.
    {"RegisteringUserWithAList", kLogonTrigger, "", kPackageSettings, "{LAUNCHER}",
     {{"error", "task.not-elevated", "{TASK}"}}, kRestartA},
    {"UsersAtLogonMayLackTheRights", kLogonTrigger, kUsersHighest, kPackageSettings, "{LAUNCHER}",
     {{"warning", "task.service-rights", "{TASK}"}}, kRestartA},
    {"UsersWithLeastPrivilegeLackTheRights", kLogonTrigger,
     "<Principal id=\"Author\"><GroupId>S-1-5-32-545</GroupId></Principal>", kPackageSettings, "{LAUNCHER}",
     {{"error", "task.service-rights", "{TASK}"}}, kRestartA},
    {"LocalServiceInSessionZeroLacksTheRights", kBootTrigger,
     "<Principal id=\"Author\"><UserId>S-1-5-19</UserId><RunLevel>HighestAvailable</RunLevel></Principal>",
     kPackageSettings, "{LAUNCHER}",
     {{"warning", "task.session-0", "{TASK}"}, {"error", "task.service-rights", "{TASK}"}}, kRestartA},
    {"AdministratorsNeedNoGrant", kLogonTrigger, kAdministrators, kPackageSettings, "{LAUNCHER}", {}, kRestartA},
    // The traps, one a row.
    {"NetworkConditionWarned", kLogonTrigger, kAdministrators,
     kPackageSettings + std::string("<RunOnlyIfNetworkAvailable>true</RunOnlyIfNetworkAvailable>"), "{LAUNCHER}",
     {{"warning", "task.conditions", "{TASK}"}}},
    {"StartBoundaryToComeIsNoStart", "<LogonTrigger><StartBoundary>2099-01-01T00:00:00Z</StartBoundary></LogonTrigger>",
     kAdministrators, kPackageSettings, "{LAUNCHER}", {{"warning", "task.no-start-trigger", "{TASK}"}}},
    {"EndBoundaryPassedIsNoStart", "<LogonTrigger><EndBoundary>2001-01-01T00:00:00Z</EndBoundary></LogonTrigger>",
     kAdministrators, kPackageSettings, "{LAUNCHER}", {{"warning", "task.no-start-trigger", "{TASK}"}}},
    {"RepetitionRepeats", "<LogonTrigger><Repetition><Interval>PT1H</Interval></Repetition></LogonTrigger>",
     kAdministrators, kPackageSettings, "{LAUNCHER}", {{"warning", "task.repeats", "{TASK}"}}},
    {"TimeTriggerBesideRepeats",
     std::string(kLogonTrigger) + "<TimeTrigger><StartBoundary>2026-01-01T08:00:00</StartBoundary></TimeTrigger>",
     kAdministrators, kPackageSettings, "{LAUNCHER}", {{"warning", "task.repeats", "{TASK}"}}},
    {"FractionOfASecondIsALimit", kLogonTrigger, kAdministrators, Limited("PT0.1S"), "{LAUNCHER}",
     {{"warning", "task.time-limit", "{TASK}"}}},
    {"RelativeCommandIsNotResolved", kLogonTrigger, kAdministrators, kPackageSettings, "zStartup.exe",
     {{"error", "task.other-launcher", "{TASK}"}, {"warning", "task.command-relative", "{TASK}"}}},
    {"LongPathPrefixTakenOff", kLogonTrigger, kAdministrators, kPackageSettings, "\\\\?\\{LAUNCHER}", {}},
    {"OtherActionsNoted", kLogonTrigger, kAdministrators, kPackageSettings, "{LAUNCHER}",
     {{"note", "task.other-actions", "{TASK}"}}, "", "<Exec><Command>C:\\windows\\notepad.exe</Command></Exec>"},
};
// clang-format on

const TaskFileCase& TaskFile(const std::string& name)
{
    for (const TaskFileCase& row : kTaskFiles) {
        if (row.name == name) return row;
    }
    throw std::invalid_argument("no task file case " + name);
}

std::string Element(const std::string& name, const std::string& content)
{
    return "<" + name + ">" + content + "</" + name + ">";
}

std::string TaskDefinitionText(const TaskFileCase& row)
{
    // The actions run as the principal, when there is one.
    const std::string context = row.principal.empty() ? "" : " Context=\"Author\"";
    const std::string exec = Element("Command", row.command) + Element("WorkingDirectory", "{FOLDER}");
    return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
           "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">" +
           Element("Triggers", row.triggers) + Element("Principals", row.principal) +
           Element("Settings", row.settings) + "<Actions" + context + ">" + Element("Exec", exec) + row.otherActions +
           "</Actions></Task>\r\n";
}

std::string Utf16LittleEndian(const std::string& ansi)
{
    const std::wstring wide = Wide(ansi);
    std::string bytes = "\xFF\xFE";
    for (const wchar_t c : wide) bytes += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}

class CheckerTaskFile : public CheckerScenario, public ::testing::WithParamInterface<TaskFileCase> {
protected:
    // The launcher, its batch file, the row's list (naming service, running) and definition.
    void Prepare(const TaskFileCase& row, const std::string& service = "")
    {
        values_["{TASK}"] = folder_.PathOf("zStartup.task.xml");
        values_["{A}"] = service;
        folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
        folder_.Write("zStartup.bat", "@echo off\r\n");
        if (!row.list.empty()) folder_.Write("Services.ini", Fill(row.list));
        folder_.Write("zStartup.task.xml", Utf16LittleEndian(Fill(TaskDefinitionText(row))));
    }

    CheckerReport CheckTaskFile() { return Check("--task \"" + folder_.PathOf("zStartup.task.xml") + "\""); }
};

TEST_P(CheckerTaskFile, JudgesTheDefinitionInsteadOfTheRegisteredTasks)
{
    const TaskFileCase& row = GetParam();
    std::unique_ptr<RegisteredService> a;
    if (!row.list.empty()) {
        a.reset(new RegisteredService("--event=plain"));
        ASSERT_EQ(a->StartAndWaitRunning(), 0u);
    }
    ASSERT_NO_FATAL_FAILURE(Prepare(row, a ? a->Name() : ""));
    const CheckerReport report = CheckTaskFile();
    Findings expected = row.findings;
    if (row.list.empty()) expected.push_back({"note", "list.absent", "{LIST}"});
    ExpectFindings(report, expected, true);
    // Each task finding's subject is {TASK}: the path the report's tasks give, to join on.
    ASSERT_EQ(report.json["tasks"].items.size(), 1u) << report.output;
    EXPECT_EQ(report.json["tasks"].items[0]["path"].text, Fill("{TASK}"));
}

INSTANTIATE_TEST_SUITE_P(Checker, CheckerTaskFile, ::testing::ValuesIn(kTaskFiles),
                         [](const ::testing::TestParamInfo<TaskFileCase>& info) { return info.param.name; });

// Winlogon's automatic logon names the member of Users a logon runs the task for. Under Wine no
// account is a member of Administrators as NetLocalGroupGetMembers lists them, so the member is
// judged as a standard user: an error, where any member would be a warning.
class AutomaticLogon : public CheckerTaskFile {
protected:
    void SetUp() override
    {
        CheckerTaskFile::SetUp();
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kWinlogon, 0, nullptr, 0,
                                  KEY_SET_VALUE | KEY_QUERY_VALUE | KEY_WOW64_64KEY, nullptr, &winlogon_, nullptr),
                  ERROR_SUCCESS);
        wchar_t user[256];
        DWORD userSize = 256;
        wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
        DWORD computerSize = MAX_COMPUTERNAME_LENGTH + 1;
        ASSERT_TRUE(GetUserNameW(user, &userSize) && GetComputerNameW(computer, &computerSize));
        Set(L"AutoAdminLogon", L"1");
        Set(L"DefaultUserName", user);
        Set(L"DefaultDomainName", computer);
    }

    void TearDown() override
    {
        for (const wchar_t* name : {L"AutoAdminLogon", L"DefaultUserName", L"DefaultDomainName"})
            RegDeleteValueW(winlogon_, name);
        RegCloseKey(winlogon_);
    }

    void Set(const wchar_t* name, const wchar_t* value)
    {
        const DWORD bytes = static_cast<DWORD>((lstrlenW(value) + 1) * sizeof(wchar_t));
        ASSERT_EQ(RegSetValueExW(winlogon_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes),
                  ERROR_SUCCESS);
    }

    static constexpr const wchar_t* kWinlogon = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    HKEY winlogon_ = nullptr;
};

TEST_F(AutomaticLogon, UsersAreJudgedForTheAccountThatLogsOn)
{
    RegisteredService a("--event=plain");
    ASSERT_EQ(a.StartAndWaitRunning(), 0u);
    ASSERT_NO_FATAL_FAILURE(Prepare(TaskFile("UsersAtLogonMayLackTheRights"), a.Name()));
    const CheckerReport report = CheckTaskFile();
    ExpectFindings(report, {{"error", "task.service-rights", "{TASK}"}}, true);
    EXPECT_NE(report.output.find("(A;;LCRPWP;;;" + OwnUserSid() + ")"), std::string::npos) << report.output;
}

// A definition the schema does not allow: the check cannot run (status 3) and names the file.
struct RefusedTaskFile {
    const char* name;
    const char* xml;
};

// clang-format off
const RefusedTaskFile kRefusedTaskFiles[] = {
    {"SettingsTwice",
     "<Task xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><Settings/><Settings/></Task>"},
    {"SettingsInAnotherNamespace",
     "<Task xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><Settings xmlns=\"urn:other\">"
     "<Enabled>false</Enabled></Settings></Task>"},
};
// clang-format on

class CheckerRefusedTaskFile : public CheckerScenario, public ::testing::WithParamInterface<RefusedTaskFile> {};

TEST_P(CheckerRefusedTaskFile, CannotRun)
{
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.Write("zStartup.task.xml", GetParam().xml);
    const CheckerReport report = Check("--task \"" + folder_.PathOf("zStartup.task.xml") + "\"");
    EXPECT_EQ(report.exitCode, 3u);
    ExpectExactly(report, {{"error", "check.task-unreadable", "{FOLDER}\\zStartup.task.xml"}});
}

INSTANTIATE_TEST_SUITE_P(Checker, CheckerRefusedTaskFile, ::testing::ValuesIn(kRefusedTaskFiles),
                         [](const ::testing::TestParamInfo<RefusedTaskFile>& info) { return info.param.name; });

// The English text, whole, once per mode: one golden file each, with the test's own paths,
// services and account put in.
class CheckerText : public CheckerTaskFile {
protected:
    std::vector<std::string> Golden(const std::string& name)
    {
        values_["{ACCOUNT}"] = OwnAccountName();
        return GoldenLines(name, values_);
    }
};

TEST_F(CheckerText, PlanIsTheGoldenText)
{
    RegisteredService a, b;
    values_["{A}"] = a.Name();
    values_["{B}"] = b.Name();
    values_["{D}"] = "zst display " + a.Name();
    a.Configure(SERVICE_NO_CHANGE, values_["{D}"]);
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.Write("Services.ini", Fill("[START]\r\n0={D}\r\n1=zstNoSuchChecked\r\n3={B}\r\n"));
    folder_.Write("zStartup.bat", "@echo off\r\n");
    const ProgramRun run = RunChecker("\"" + Fill("{LAUNCHER}") + "\"", folder_.Path());
    EXPECT_EQ(Lines(run.output), Golden("checker-plan.golden.txt"));
}

TEST_F(CheckerText, TaskFileIsTheGoldenText)
{
    ASSERT_NO_FATAL_FAILURE(Prepare(TaskFile("EverySettingAgainstTheLauncher")));
    const ProgramRun run = RunChecker(Fill("--task \"{FOLDER}\\zStartup.task.xml\" \"{LAUNCHER}\""), folder_.Path());
    EXPECT_EQ(Lines(run.output), Golden("checker-task.golden.txt"));
}

// Names outside the ANSI code page, as fleet tools read them. Expected texts from the encodings'
// tables: U+00E2 (a circumflex) is C3 A2 in UTF-8, U+0416 (Cyrillic Zhe, in no Western code
// page) D0 96; U+00E9 (e acute) is byte 0x82 in the OEM code pages 437 and 850.
class CheckerUnicode : public CheckerTaskFile {
protected:
    // zStartupCheck with arguments, which may name files in any characters.
    ProgramRun RunWide(const std::wstring& arguments) const
    {
        ProgramLaunch launch;
        launch.path = BesideThisProgram("zStartupCheck.exe");
        launch.wideArguments = arguments;
        launch.directory = folder_.Path();
        return RunProgram(launch);
    }
};

bool IsAscii(const std::string& text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

TEST_F(CheckerUnicode, TaskFileNameKeepsItsCharactersInTheJson)
{
    ASSERT_NO_FATAL_FAILURE(Prepare(TaskFile("DisabledIsAnError")));
    const std::wstring file = Wide(folder_.Path()) + L"\\t\u00e2che-\u0416.xml";
    ASSERT_TRUE(MoveFileW(Wide(folder_.PathOf("zStartup.task.xml")).c_str(), file.c_str()));
    const ProgramRun run = RunWide(L"--json --task \"" + file + L"\" \"" + Wide(Fill("{LAUNCHER}")) + L"\"");
    const CheckerReport report = ReadReport(run);
    EXPECT_TRUE(IsAscii(run.output)) << run.output;
    EXPECT_NE(run.output.find("t\\u00e2che-\\u0416.xml"), std::string::npos) << run.output;
    values_["{TASK}"] = folder_.PathOf(
        "t\xC3\xA2"
        "che-\xD0\x96.xml");
    ExpectFindings(report, {{"error", "task.disabled", "{TASK}"}, {"note", "list.absent", "{LIST}"}}, true);
    ASSERT_EQ(report.json["tasks"].items.size(), 1u) << report.output;
    EXPECT_EQ(report.json["tasks"].items[0]["path"].text, Fill("{TASK}"));
}

// A pipe gets the code page a console would show (Windows PowerShell 5.1 and cmd read a
// program's output in it), not the ANSI code page's bytes.
TEST_F(CheckerUnicode, TextToAPipeIsInTheOutputCodePage)
{
    const UINT codePage = GetConsoleOutputCP() != 0 ? GetConsoleOutputCP() : GetOEMCP();
    if (codePage != 437 && codePage != 850) GTEST_SKIP() << "needs code page 437 or 850, have " << codePage;
    const std::wstring folder = Wide(folder_.Path()) + L"\\Caf\u00e9";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(
        CopyFileW(Wide(BesideThisProgram("zStartup.exe")).c_str(), (folder + L"\\zStartup.exe").c_str(), FALSE));
    const ProgramRun run = RunWide(L"\"" + folder + L"\\zStartup.exe\"");
    EXPECT_NE(run.output.find(folder_.Path() + "\\Caf\x82\\zStartup_LT.log"), std::string::npos) << run.output;
}

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

class CheckerFolder : public CheckerScenario {};

// A list of many unknown sections gives a report of bounded size: the first 100 named, one
// finding for the rest, beginning with the first not named.
TEST_F(CheckerScenario, ManyUnknownSectionsNameTheFirstHundred)
{
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    std::string list = "[START]\r\n";
    for (int i = 0; i < 250; ++i) list += "[S" + std::to_string(i) + "]\r\n0=x\r\n";
    folder_.Write("Services.ini", list);

    const CheckerReport report = Check();
    Findings unknown;
    for (const ReportedFinding& finding : report.findings) {
        if (finding.code == "list.section-unknown") unknown.push_back(finding);
    }
    Findings expected;
    for (int i = 0; i <= 100; ++i) {
        expected.push_back({"error", "list.section-unknown", "[S" + std::to_string(i) + "]"});
    }
    EXPECT_EQ(unknown, Sorted(expected)) << report.output;
}

// Found through its own wide path, as the checker takes its argument; the launcher there
// would read its path through the ANSI code page, which has no letters for the folder's name.
TEST_F(CheckerFolder, NameOutsideTheCodePageIsAnError)
{
    if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252, have " << GetACP();
    const CheckerReport report = CheckFromFolderOutsideTheCodePage(folder_.Path(), "--json");
    EXPECT_EQ(report.exitCode, 2u);
    // Rights are judged on the paths the launcher uses, and it has none here. The subjects keep
    // the folder's name, in UTF-8 (U+041F is D0 9F, U+043E D0 BE, U+043A D0 BA, U+0430 D0 B0,
    // U+0437 D0 B7).
    Place(folder_.Path() + "\\\xD0\x9F\xD0\xBE\xD0\xBA\xD0\xB0\xD0\xB7");
    ExpectExactly(report, {{"error", "list.folder-not-ansi", "{LAUNCHER}"},
                           {"warning", "batch.launcher-path-unusable", "{LAUNCHER}"},
                           {"warning", "log.default-path", "default_LT.log"},
                           {"warning", "task.none", "{LAUNCHER}"}});
}

TEST_F(CheckerFolder, ListThatIsAFolderIsAnError)
{
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.MakeFolder("Services.ini");
    const CheckerReport report = Check();
    EXPECT_EQ(report.exitCode, 2u);
    ExpectFindings(report, {{"error", "list.is-folder", "{LIST}"}, {"warning", "batch.missing", "{BATCH}"}});
}

// As the launcher meets a list held by another program: it cannot read it at all.
TEST_F(CheckerFolder, ListHeldWithoutSharingIsUnreadable)
{
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.Write("Services.ini", "[START]\r\n0=zstNoSuchChecked\r\n");
    folder_.Write("zStartup.bat", "@echo off\r\n");
    HANDLE held = CreateFileA(Fill("{LIST}").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const CheckerReport report = Check();
    CloseHandle(held);
    ExpectFindings(report, {{"error", "list.unreadable", "{LIST}"}});
}

// The launcher keeps the list's path in 256 bytes: a folder of 242 characters leaves room for
// "\Services.ini" and its terminator, one of 243 does not. Its log's path, kept in 256 bytes
// too, is 3 characters longer than its own: from a folder of 240 on, it logs to default_LT.log.
TEST_F(CheckerFolder, ListPathLongerThanTheLauncherKeepsIsAnError)
{
    const struct {
        size_t folderLength;
        ReportedFinding finding;
    } kRows[] = {{242, {"note", "list.absent", "{LIST}"}}, {243, {"error", "list.path-too-long", "{LAUNCHER}"}}};
    for (const auto& row : kRows) {
        const std::string base = folder_.Path() + "\\" + std::to_string(row.folderLength);
        ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr)) << base;
        ASSERT_LT(base.size() + 1, row.folderLength) << "the temporary folder's path is too long";
        const std::string folder = base + "\\" + std::string(row.folderLength - base.size() - 1, 'p');
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
        ASSERT_TRUE(CopyFileA(BesideThisProgram("zStartup.exe").c_str(), (folder + "\\zStartup.exe").c_str(), FALSE));
        Place(folder);
        const CheckerReport report = Check();
        Findings expected = BuildFindings();
        expected.insert(expected.end(), {row.finding,
                                         {"warning", "batch.missing", "{BATCH}"},
                                         {"warning", "log.default-path", "default_LT.log"},
                                         {"error", "folder.untrusted-writer", "{FOLDER}"},
                                         {"warning", "task.none", "{LAUNCHER}"}});
        ExpectExactly(report, expected);
    }
}

TEST_F(CheckerFolder, BatchThatIsAFolderIsNamedSo)
{
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.MakeFolder("zStartup.bat");
    const CheckerReport report = Check();
    EXPECT_EQ(report.lines, std::vector<std::string>{}) << report.output;
    ExpectFindings(report, {{"note", "list.absent", "{LIST}"}, {"warning", "batch.is-folder", "{BATCH}"}});
}

// A value of a UTF-16 list that the code page cannot hold exactly names no service: not the
// service its look-alike names (the full-width Ｒ０ would best-fit to R0).
TEST_F(CheckerFolder, ValueNotInTheCodePageIsAFindingOfItsOwn)
{
    if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252, have " << GetACP();
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    std::string list = "\xFF\xFE";
    for (wchar_t c : std::wstring(L"[STOP]\r\n0=zstNoSuch\uFF32\uFF10\r\n"))
        list += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    folder_.Write("Services.ini", list);
    const CheckerReport report = Check();
    // No service.not-installed for the look-alike zstNoSuchR0: the value names no service.
    ExpectFindings(report, {{"error", "list.value-not-ansi", "[STOP] key 0"}, {"warning", "batch.missing", "{BATCH}"}});
}

// The log held by another program, as the launcher would meet it: a viewer's read access, or
// another writer, shared for writing, leaves it writable; a program refusing to share writing
// does not.
TEST_F(CheckerFolder, LogHeldByAnotherProgram)
{
    const struct {
        DWORD access;
        DWORD share;
        bool held;
    } kHolders[] = {{GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, false},
                    {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, false},
                    {GENERIC_READ, FILE_SHARE_READ, true},
                    {GENERIC_READ, 0, true}};
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.Write("zStartup_LT.log", "earlier line\r\n");
    for (const auto& holder : kHolders) {
        HANDLE held = CreateFileW(Wide(Fill("{LOG}")).c_str(), holder.access, holder.share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        const CheckerReport report = Check();
        CloseHandle(held);
        Findings expected = {{"note", "list.absent", "{LIST}"}, {"warning", "batch.missing", "{BATCH}"}};
        if (holder.held) expected.push_back({"warning", "log.held", "{LOG}"});
        ExpectFindings(report, expected);
    }
}

// A folder in the log's place refuses the launcher with error 5, as a file it may not write
// would: the finding must be the folder, not the rights.
TEST_F(CheckerFolder, LogThatIsAFolderIsNamedSo)
{
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    folder_.MakeFolder("zStartup_LT.log");
    const CheckerReport report = Check();
    ExpectFindings(report, {{"note", "list.absent", "{LIST}"},
                            {"warning", "batch.missing", "{BATCH}"},
                            {"warning", "log.is-folder", "{LOG}"}});
}

// The smallest image Windows' loader takes for a 32-bit program (Microsoft's "PE Format"):
// machine 0x14C, a PE32 optional header (magic 0x10B), one section holding a RET.
std::string Pe32Image()
{
    std::string image(0x400, '\0');
    const auto put = [&image](size_t at, DWORD value, size_t size) {
        for (size_t i = 0; i < size; ++i) image[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(0, 'M' | 'Z' << 8, 2);
    put(0x3C, 0x40, 4);            // e_lfanew
    put(0x40, 'P' | 'E' << 8, 4);  // "PE\0\0"
    put(0x44, 0x14C, 2);           // Machine: i386
    put(0x46, 1, 2);               // NumberOfSections
    put(0x54, 0xE0, 2);            // SizeOfOptionalHeader
    put(0x56, 0x0102, 2);          // Characteristics: executable, 32-bit machine
    const size_t optional = 0x58;
    put(optional + 0, 0x10B, 2);      // Magic: PE32
    put(optional + 16, 0x1000, 4);    // AddressOfEntryPoint
    put(optional + 28, 0x400000, 4);  // ImageBase
    put(optional + 32, 0x1000, 4);    // SectionAlignment
    put(optional + 36, 0x200, 4);     // FileAlignment
    put(optional + 40, 4, 2);         // MajorOperatingSystemVersion
    put(optional + 48, 4, 2);         // MajorSubsystemVersion
    put(optional + 56, 0x2000, 4);    // SizeOfImage
    put(optional + 60, 0x200, 4);     // SizeOfHeaders
    put(optional + 68, 2, 2);         // Subsystem: Windows GUI
    put(optional + 72, 0x100000, 4);  // SizeOfStackReserve
    put(optional + 76, 0x1000, 4);    // SizeOfStackCommit
    put(optional + 80, 0x100000, 4);  // SizeOfHeapReserve
    put(optional + 84, 0x1000, 4);    // SizeOfHeapCommit
    put(optional + 92, 16, 4);        // NumberOfRvaAndSizes
    const size_t section = optional + 0xE0;
    image.replace(section, 5, ".text");
    put(section + 8, 0x1000, 4);       // VirtualSize
    put(section + 12, 0x1000, 4);      // VirtualAddress
    put(section + 16, 0x200, 4);       // SizeOfRawData
    put(section + 20, 0x200, 4);       // PointerToRawData
    put(section + 36, 0x60000020, 4);  // code, executable, readable
    image[0x200] = '\xC3';
    return image;
}

bool SixtyFourBitWindows()
{
    BOOL wow64 = FALSE;
    return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

// Its batch file would run under the 32-bit command processor, with System32 redirected.
TEST_F(CheckerFolder, ThirtyTwoBitLauncherOnSixtyFourBitWindowsIsNoted)
{
    if (!SixtyFourBitWindows()) GTEST_SKIP() << "32-bit Windows";
    folder_.Write("zStartup.exe", Pe32Image());
    const CheckerReport report = Check();
    ExpectExactly(report, {{"error", "folder.untrusted-writer", "{FOLDER}"},
                           {"warning", "task.none", "{LAUNCHER}"},
                           {"note", "log.path", "{LOG}"},
                           {"note", "platform.32-bit-on-64-bit", "{LAUNCHER}"},
                           {"note", "list.absent", "{LIST}"},
                           {"warning", "batch.missing", "{BATCH}"}});
}

// A string value of HKLM's key, or "" when it has none.
std::wstring MachineValue(const wchar_t* key, const wchar_t* name)
{
    wchar_t value[256];
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return L"";
    return value;
}

std::string Utf8(const std::wstring& wide)
{
    std::string text(wide.size() * 3, '\0');
    text.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0],
                                    static_cast<int>(text.size()), nullptr, nullptr));
    return text;
}

// The DNS name as Windows keeps it: the host name and the primary DNS suffix (a policy's first)
// of the TCP/IP parameters, joined by a dot when there is a suffix.
std::string DnsNameFromTheRegistry()
{
    const wchar_t kParameters[] = L"System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
    std::wstring suffix = MachineValue(L"Software\\Policies\\Microsoft\\System\\DNSClient", L"PrimaryDnsSuffix");
    if (suffix.empty()) suffix = MachineValue(kParameters, L"Domain");
    const std::wstring host = MachineValue(kParameters, L"Hostname");
    return Utf8(suffix.empty() ? host : host + L"." + suffix);
}

// Fleet tools know a device by its DNS name; computer stays the NetBIOS name beside it.
TEST_F(CheckerFolder, NamesTheComputerByItsDnsNameToo)
{
    const std::string expected = DnsNameFromTheRegistry();
    ASSERT_FALSE(expected.empty()) << "no host name in the registry";
    wchar_t netbios[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameW(netbios, &size));
    folder_.CopyFromBin("zStartup.exe", "zStartup.exe");
    const CheckerReport report = Check();
    EXPECT_EQ(report.json["dnsHostName"].kind, JsonValue::Kind::kString) << report.output;
    EXPECT_EQ(report.json["dnsHostName"].text, expected);
    EXPECT_EQ(report.json["computer"].text, Utf8(netbios));
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
