// The checker's task decisions on definitions written from Microsoft's Task Scheduler schema:
// Windows alone can register them with their triggers, principal and command (Wine's Task
// Scheduler drops all three), so each decision is tested on XML text. Absent elements take
// the schema's documented defaults: DisallowStartIfOnBatteries and StopIfGoingOnBatteries
// true, RunOnlyIfNetworkAvailable and RunOnlyIfIdle false, MultipleInstancesPolicy IgnoreNew,
// Enabled true, RunLevel LeastPrivilege (LUA), ExecutionTimeLimit 72 hours. Every element of
// taskType, settingsType, triggerBaseType, principalType and execType occurs at most once;
// Triggers and Actions hold several.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checker/task/comobjects.h"
#include "checker/task/taskdefinition.h"
#include "checker/task/tasklastrun.h"
#include "checker/task/taskjudgement.h"
#include "tests/harness/testfolder.h"

namespace {

const wchar_t kLauncher[] = L"C:\\Program Files\\zStartup\\zStartup.exe";

const wchar_t kBoot[] = L"<BootTrigger><Enabled>true</Enabled></BootTrigger>";
const wchar_t kLogon[] = L"<LogonTrigger/>";
const wchar_t kSystem[] = L"<Principal id=\"Author\"><UserId>S-1-5-18</UserId></Principal>";
const wchar_t kBatteriesAllowed[] =
    L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries><StopIfGoingOnBatteries>false</"
    L"StopIfGoingOnBatteries>";
const wchar_t kRunsLauncher[] = L"<Exec><Command>%ProgramFiles%\\zStartup\\zStartup.exe</Command></Exec>";

struct Parts {
    std::wstring triggers = kBoot;
    std::wstring principals = kSystem;
    std::wstring settings = kBatteriesAllowed;
    std::wstring actions = kRunsLauncher;
    std::wstring context;  // Actions' Context attribute, "" for none
};

std::wstring TaskXml(const Parts& parts)
{
    return L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
           L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
           L"<Triggers>" +
           parts.triggers +
           L"</Triggers>"
           L"<Principals>" +
           parts.principals +
           L"</Principals>"
           L"<Settings>" +
           parts.settings +
           L"</Settings>"
           L"<Actions" +
           (parts.context.empty() ? L"" : L" Context=\"" + parts.context + L"\"") + L">" + parts.actions +
           L"</Actions></Task>";
}

// The time the tables' boundaries are written against: 2026-03-09T12:00:00Z.
FILETIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    const SYSTEMTIME time = {year, month, 0, day, hour, minute, second, 0};
    FILETIME utc;
    SystemTimeToFileTime(&time, &utc);
    return utc;
}

const FILETIME kNow = Utc(2026, 3, 9, 12, 0, 0);

TaskSituation Situation(bool fastStartupOn = false, const std::wstring& launcher = kLauncher)
{
    TaskSituation situation;
    situation.launcher = launcher;
    situation.fastStartupOn = fastStartupOn;
    situation.now = kNow;
    return situation;
}

std::vector<std::string> Codes(const CheckReport& report)
{
    std::vector<std::string> codes;
    for (const Finding& finding : report.Findings()) codes.push_back(finding.code);
    return codes;
}

class TaskTest : public ::testing::Test {
protected:
    const UniqueComApartment apartment_ = EnterComApartment();
};

// -- one definition that runs the launcher, judged as --task FILE judges it

struct DefinitionCase {
    const char* name;
    Parts parts;
    bool fastStartupOn;
    std::vector<std::string> codes;  // in the order the checker reports them
};

Parts With(std::wstring Parts::*part, const std::wstring& value)
{
    Parts parts;
    parts.*part = value;
    return parts;
}

Parts WithSetting(const std::wstring& setting)
{
    return With(&Parts::settings, std::wstring(kBatteriesAllowed) + setting);
}

Parts WithTriggers(const std::wstring& triggers) { return With(&Parts::triggers, triggers); }

// A boundary around the tables' time, kNow (2026-03-09T12:00:00Z).
std::wstring Bounded(const wchar_t* trigger, const std::wstring& boundaries)
{
    return L"<" + std::wstring(trigger) + L">" + boundaries + L"</" + trigger + L">";
}

const wchar_t kPast[] = L"2026-01-01T00:00:00Z";
const wchar_t kFuture[] = L"2027-01-01T00:00:00Z";
const std::wstring kTimeTrigger = L"<TimeTrigger><StartBoundary>2026-01-01T08:00:00</StartBoundary></TimeTrigger>";

// clang-format off
const DefinitionCase kDefinitionCases[] = {
    {"PackageSettingsGiveNothing", Parts(), false, {}},
    {"NoSettingsMeansBatteriesStopIt", With(&Parts::settings, L""), false, {"task.battery"}},
    {"StartsOnBatteriesButStopsGoingOnThem",
     With(&Parts::settings, L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"),
     false,
     {"task.battery"}},
    {"StopsNotButDoesNotStartOnBatteries",
     With(&Parts::settings, L"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"),
     false,
     {"task.battery"}},
    {"DisabledIsAnError", WithSetting(L"<Enabled>false</Enabled>"), false, {"task.disabled"}},
    {"BooleanOneAndZeroAreBooleans",
     With(
         &Parts::settings,
         L"<DisallowStartIfOnBatteries>0</DisallowStartIfOnBatteries><StopIfGoingOnBatteries>0</StopIfGoingOnBatteries>"
         L"<Enabled>1</Enabled>"),
     false,
     {}},
    {"TimeTriggerOnlyIsNoStart", WithTriggers(kTimeTrigger), false, {"task.no-start-trigger"}},
    {"DisabledBootTriggerIsNoStart",
     WithTriggers(L"<BootTrigger><Enabled>false</Enabled></BootTrigger>"),
     false,
     {"task.no-start-trigger"}},
    {"NoTriggersIsNoStart", WithTriggers(L""), true, {"task.no-start-trigger"}},
    {"LogonTriggerStartsIt", WithTriggers(kLogon), true, {}},
    {"BootOnlyWithFastStartupIsWarned", Parts(), true, {"task.fast-startup"}},
    {"BootAndLogonWithFastStartupIsFine", WithTriggers(std::wstring(kBoot) + kLogon), true, {}},
    {"BootWithDisabledLogonAndFastStartupIsWarned",
     WithTriggers(std::wstring(kBoot) + L"<LogonTrigger><Enabled>false</Enabled></LogonTrigger>"),
     true,
     {"task.fast-startup"}},
    // triggerBaseType: the trigger is activated at its StartBoundary and deactivated at its EndBoundary.
    {"StartBoundaryToComeIsNoStart",
     WithTriggers(Bounded(L"LogonTrigger", L"<StartBoundary>" + std::wstring(kFuture) + L"</StartBoundary>")),
     false,
     {"task.no-start-trigger"}},
    {"EndBoundaryPassedIsNoStart",
     WithTriggers(Bounded(L"LogonTrigger", L"<EndBoundary>" + std::wstring(kPast) + L"</EndBoundary>")),
     false,
     {"task.no-start-trigger"}},
    {"EndBoundaryNowIsPassed",
     WithTriggers(Bounded(L"LogonTrigger", L"<EndBoundary>2026-03-09T12:00:00Z</EndBoundary>")),
     false,
     {"task.no-start-trigger"}},
    {"StartBoundaryNowHasCome",
     WithTriggers(Bounded(L"LogonTrigger", L"<StartBoundary>2026-03-09T12:00:00Z</StartBoundary>")),
     false,
     {}},
    {"BetweenItsBoundariesStartsIt",
     WithTriggers(Bounded(L"LogonTrigger", L"<StartBoundary>" + std::wstring(kPast) + L"</StartBoundary><EndBoundary>" +
                                           kFuture + L"</EndBoundary>")),
     false,
     {}},
    // 13:30 two hours ahead of UTC is 11:30Z, past; 11:30 two hours behind is 13:30Z, to come.
    {"OffsetAheadOfUtcHasCome",
     WithTriggers(Bounded(L"LogonTrigger", L"<StartBoundary>2026-03-09T13:30:00+02:00</StartBoundary>")),
     false,
     {}},
    {"OffsetBehindUtcIsToCome",
     WithTriggers(Bounded(L"LogonTrigger", L"<StartBoundary>2026-03-09T11:30:00-02:00</StartBoundary>")),
     false,
     {"task.no-start-trigger"}},
    {"LocalTimeAYearAheadIsToCome",
     WithTriggers(Bounded(L"LogonTrigger", L"<StartBoundary>2027-03-09T12:00:00</StartBoundary>")),
     false,
     {"task.no-start-trigger"}},
    {"BootToComeWithFastStartupIsNoStart",
     WithTriggers(Bounded(L"BootTrigger", L"<StartBoundary>" + std::wstring(kFuture) + L"</StartBoundary>")),
     true,
     {"task.no-start-trigger"}},
    // settingsType: RunOnlyIfNetworkAvailable and RunOnlyIfIdle, false by default.
    {"NetworkConditionWarned", WithSetting(L"<RunOnlyIfNetworkAvailable>true</RunOnlyIfNetworkAvailable>"), false,
     {"task.conditions"}},
    {"IdleConditionWarned", WithSetting(L"<RunOnlyIfIdle>true</RunOnlyIfIdle>"), false, {"task.conditions"}},
    // repetitionType: the task runs again at its Interval; the other triggers fire again while Windows runs.
    {"RepeatingLogonTriggerRepeats",
     WithTriggers(L"<LogonTrigger><Repetition><Interval>PT1H</Interval></Repetition></LogonTrigger>"),
     false,
     {"task.repeats"}},
    {"TimeTriggerBesideBootRepeats", WithTriggers(kBoot + kTimeTrigger), false, {"task.repeats"}},
    {"CalendarTriggerBesideLogonRepeats",
     WithTriggers(std::wstring(kLogon) +
                  L"<CalendarTrigger><StartBoundary>2026-01-01T08:00:00</StartBoundary>"
                  L"<ScheduleByDay><DaysInterval>1</DaysInterval></ScheduleByDay></CalendarTrigger>"),
     false,
     {"task.repeats"}},
    {"EventTriggerBesideLogonRepeats",
     WithTriggers(std::wstring(kLogon) + L"<EventTrigger><Subscription>&lt;QueryList/&gt;</Subscription></EventTrigger>"),
     false,
     {"task.repeats"}},
    {"DisabledTimeTriggerBesideBootIsFine",
     WithTriggers(kBoot + std::wstring(L"<TimeTrigger><Enabled>false</Enabled></TimeTrigger>")),
     false,
     {}},
    {"EndedTimeTriggerBesideBootIsFine",
     WithTriggers(kBoot + Bounded(L"TimeTrigger", L"<EndBoundary>" + std::wstring(kPast) + L"</EndBoundary>")),
     false,
     {}},
    {"RegistrationTriggerBesideBootIsFine", WithTriggers(kBoot + std::wstring(L"<RegistrationTrigger/>")), false, {}},
    {"ParallelRunsOverlap",
     WithSetting(L"<MultipleInstancesPolicy>Parallel</MultipleInstancesPolicy>"),
     false,
     {"task.instances"}},
    {"StopExistingEndsARun",
     WithSetting(L"<MultipleInstancesPolicy>StopExisting</MultipleInstancesPolicy>"),
     false,
     {"task.instances"}},
    {"QueueWaits", WithSetting(L"<MultipleInstancesPolicy>Queue</MultipleInstancesPolicy>"), false, {}},
    {"IgnoreNewIsFine", WithSetting(L"<MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"), false, {}},
    // The longest run: 11 entries, each a stop of 30 s (the control handler's limit) + 5 s + a
    // 0.05 s poll and a start of 30 s (the manager's pipe timeout) + 5 s + 0.05 s + a 0.2 s
    // poll, and 0.5 s for a held log: 773.8 s, 774 s = PT12M54S.
    {"LimitJustUnderTheLongestRun",
     WithSetting(L"<ExecutionTimeLimit>PT12M53S</ExecutionTimeLimit>"),
     false,
     {"task.time-limit"}},
    {"LimitOfTheLongestRun", WithSetting(L"<ExecutionTimeLimit>PT12M54S</ExecutionTimeLimit>"), false, {}},
    {"NoLimitAtAll", WithSetting(L"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>"), false, {}},
    {"FractionOfASecondIsALimitNotNone",
     WithSetting(L"<ExecutionTimeLimit>PT0.1S</ExecutionTimeLimit>"),
     false,
     {"task.time-limit"}},
    // triggerBaseType's ExecutionTimeLimit bounds the runs that trigger starts.
    {"StartTriggersOwnLimitUnderTheLongestRun",
     WithTriggers(L"<BootTrigger><ExecutionTimeLimit>PT5M</ExecutionTimeLimit></BootTrigger>"),
     false,
     {"task.time-limit"}},
    {"StartTriggersOwnLimitAboveTheLongestRun",
     WithTriggers(L"<BootTrigger><ExecutionTimeLimit>PT15M</ExecutionTimeLimit></BootTrigger>"),
     false,
     {}},
    {"AllAtOnce",
     {L"<TimeTrigger/>", L"",
      L"<Enabled>false</Enabled><MultipleInstancesPolicy>Parallel</MultipleInstancesPolicy>"
      L"<ExecutionTimeLimit>PT1M</ExecutionTimeLimit><RunOnlyIfIdle>true</RunOnlyIfIdle>",
      kRunsLauncher, L""},
     true,
     {"task.disabled", "task.no-start-trigger", "task.battery", "task.conditions", "task.instances",
      "task.time-limit"}},
};
// clang-format on

class DefinitionJudgement : public TaskTest, public ::testing::WithParamInterface<DefinitionCase> {};

TEST_P(DefinitionJudgement, GivesTheDocumentedFindings)
{
    const DefinitionCase& row = GetParam();
    TaskDefinition definition;
    std::string why;
    ASSERT_TRUE(ParseTaskDefinition(TaskXml(row.parts), definition, why)) << why;
    CheckReport report;
    JudgeTaskFile(definition, "zStartup.task.xml", Situation(row.fastStartupOn), report);
    EXPECT_EQ(Codes(report), row.codes);
    ASSERT_EQ(report.Tasks().size(), 1u);
    EXPECT_TRUE(report.Tasks()[0].runsThisLauncher);
}

std::string CaseName(const ::testing::TestParamInfo<DefinitionCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Schema, DefinitionJudgement, ::testing::ValuesIn(kDefinitionCases), CaseName);

// -- which principal runs the actions: principalsType allows one, which Actions' Context names

struct ContextCase {
    const char* name;
    std::wstring context;
};

// clang-format off
const ContextCase kContextCases[] = {
    {"ContextNamesThePrincipal", L"User"},
    {"NoContextTakesThePrincipal", L""},
};
// clang-format on

class ActionsContext : public TaskTest, public ::testing::WithParamInterface<ContextCase> {};

TEST_P(ActionsContext, PicksThePrincipal)
{
    Parts parts;
    parts.principals = L"<Principal id=\"User\"><UserId>S-1-5-21-1-2-3-1001</UserId></Principal>";
    parts.context = GetParam().context;
    TaskDefinition definition;
    std::string why;
    ASSERT_TRUE(ParseTaskDefinition(TaskXml(parts), definition, why)) << why;
    EXPECT_EQ(definition.userId, L"S-1-5-21-1-2-3-1001");
}

std::string ContextName(const ::testing::TestParamInfo<ContextCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Schema, ActionsContext, ::testing::ValuesIn(kContextCases), ContextName);

// -- which program a command runs, and what else the task runs

struct CommandCase {
    const char* name;
    std::wstring actions;
    std::vector<std::string> codes;
};

std::wstring Exec(const std::wstring& command) { return L"<Exec><Command>" + command + L"</Command></Exec>"; }

// clang-format off
const CommandCase kCommandCases[] = {
    {"VariableExpanded", kRunsLauncher, {}},
    {"FullPathQuoted", Exec(L"\"C:\\Program Files\\zStartup\\zStartup.exe\""), {}},
    {"OtherCase", Exec(L"c:\\PROGRAM FILES\\zstartup\\ZSTARTUP.EXE"), {}},
    {"DotDotResolved", Exec(L"C:\\Program Files\\zStartup\\..\\zStartup\\zStartup.exe"), {}},
    // \\?\ hands the path to the file system unparsed, \\.\ names it as a device: the same file.
    {"LongPathPrefixTakenOff", Exec(L"\\\\?\\C:\\Program Files\\zStartup\\zStartup.exe"), {}},
    {"DevicePrefixTakenOff", Exec(L"\\\\.\\C:\\Program Files\\zStartup\\zStartup.exe"), {}},
    // actionsType: up to 32 actions, run one after another.
    {"SecondActionRunsIt", Exec(L"C:\\Windows\\System32\\cmd.exe") + kRunsLauncher, {"task.other-actions"}},
    {"ComHandlerBesideIt",
     kRunsLauncher + std::wstring(L"<ComHandler><ClassId>{00000000-0000-0000-0000-000000000001}</ClassId></ComHandler>"),
     {"task.other-actions"}},
    {"ShowMessageBesideIt", L"<ShowMessage><Title>Show</Title><Body>On</Body></ShowMessage>" + std::wstring(kRunsLauncher),
     {"task.other-actions"}},
    {"AnotherFolder", Exec(L"D:\\Show\\zStartup.exe"), {"task.other-launcher"}},
    {"AnotherProgram", Exec(L"C:\\Program Files\\zStartup\\zStartupCheck.exe"), {"task.other-launcher"}},
    {"NoExecAction", L"<ComHandler><ClassId>{00000000-0000-0000-0000-000000000000}</ClassId></ComHandler>",
     {"task.other-launcher"}},
    // No full path: the Task Scheduler's process looks for it on its own search path.
    {"BareFileName", Exec(L"zStartup.exe"), {"task.other-launcher", "task.command-relative"}},
    {"RootRelative", Exec(L"\\Program Files\\zStartup\\zStartup.exe"), {"task.other-launcher", "task.command-relative"}},
    {"DriveRelative", Exec(L"C:zStartup.exe"), {"task.other-launcher", "task.command-relative"}},
    {"UnsetVariable", Exec(L"%zStartupNoSuchFolder%\\zStartup.exe"), {"task.other-launcher", "task.command-relative"}},
};
// clang-format on

class CommandMatch : public TaskTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandMatch, RunsThisLauncherOrIsAnotherLauncher)
{
    TaskDefinition definition;
    std::string why;
    ASSERT_TRUE(ParseTaskDefinition(TaskXml(With(&Parts::actions, GetParam().actions)), definition, why)) << why;
    CheckReport report;
    JudgeTaskFile(definition, "zStartup.task.xml", Situation(), report);
    EXPECT_EQ(Codes(report), GetParam().codes);
    for (const Finding& finding : report.Findings()) {
        const Severity expected = finding.code == "task.other-launcher"  ? Severity::kError
                                  : finding.code == "task.other-actions" ? Severity::kNote
                                                                         : Severity::kWarning;
        EXPECT_EQ(finding.severity, expected) << finding.code;
    }
}

std::string CommandName(const ::testing::TestParamInfo<CommandCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Schema, CommandMatch, ::testing::ValuesIn(kCommandCases), CommandName);

TEST_F(TaskTest, OtherActionsAreNamed)
{
    TaskDefinition definition;
    std::string why;
    const std::wstring actions = Exec(L"C:\\Windows\\notepad.exe") + kRunsLauncher +
                                 L"<ComHandler><ClassId>{00000000-0000-0000-0000-000000000001}</ClassId></ComHandler>";
    ASSERT_TRUE(ParseTaskDefinition(TaskXml(With(&Parts::actions, actions)), definition, why)) << why;
    CheckReport report;
    JudgeTaskFile(definition, "zStartup.task.xml", Situation(), report);
    ASSERT_EQ(Codes(report), std::vector<std::string>{"task.other-actions"});
    EXPECT_NE(report.Findings()[0].message.find(
                  "Exec C:\\Windows\\notepad.exe, ComHandler {00000000-0000-0000-0000-000000000001}"),
              std::string::npos)
        << report.Findings()[0].message;
}

// A share's launcher, named through \\?\UNC\, is the launcher at \\server\share.
TEST_F(TaskTest, UncPrefixNamesTheShare)
{
    TaskDefinition definition;
    std::string why;
    ASSERT_TRUE(ParseTaskDefinition(TaskXml(With(&Parts::actions, Exec(L"\\\\?\\UNC\\server\\show\\zStartup.exe"))),
                                    definition, why))
        << why;
    CheckReport report;
    JudgeTaskFile(definition, "zStartup.task.xml", Situation(false, L"\\\\server\\show\\zStartup.exe"), report);
    EXPECT_EQ(Codes(report), std::vector<std::string>());
}

// Run from the launcher's own folder, a bare "zStartup.exe" would resolve to it; the Task
// Scheduler never looks there.
TEST_F(TaskTest, RelativeCommandIsNeverResolvedAgainstTheCurrentFolder)
{
    TestFolder folder;
    folder.Write("zStartup.exe", "MZ");
    const std::string launcher = folder.PathOf("zStartup.exe");
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    TaskDefinition definition;
    std::string why;
    const bool parsed = ParseTaskDefinition(TaskXml(With(&Parts::actions, Exec(L"zStartup.exe"))), definition, why);
    CheckReport report;
    JudgeTaskFile(definition, "zStartup.task.xml", Situation(false, std::wstring(launcher.begin(), launcher.end())),
                  report);
    SetCurrentDirectoryW(previous);
    ASSERT_TRUE(parsed) << why;
    EXPECT_EQ(Codes(report), std::vector<std::string>({"task.other-launcher", "task.command-relative"}));
}

// A 32-bit checker on 64-bit Windows sees its own %ProgramFiles% (the 32-bit folder); the Task
// Scheduler expands the native one, which ProgramW6432 names in every process there.
TEST_F(TaskTest, ProgramFilesIsExpandedAsTheTaskSchedulerExpandsIt)
{
    wchar_t native[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"ProgramW6432", native, MAX_PATH);
    if (length == 0) length = GetEnvironmentVariableW(L"ProgramFiles", native, MAX_PATH);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(CommandProgram(L"%ProgramFiles%\\zStartup\\zStartup.exe"),
              std::wstring(native) + L"\\zStartup\\zStartup.exe");
    EXPECT_EQ(CommandProgram(L"%programfiles%\\zStartup\\zStartup.exe"),
              std::wstring(native) + L"\\zStartup\\zStartup.exe");
}

// -- the registered tasks, as plan mode judges them

struct RegisteredCase {
    const char* name;
    std::vector<std::wstring> commands;  // one registered task each, with the package's settings
    std::vector<std::string> codes;
    size_t reported;  // tasks in the report: those running the launcher or a copy
};

// clang-format off
const RegisteredCase kRegisteredCases[] = {
    {"NoTaskIsWarned", {}, {"task.none"}, 0},
    {"OnlyOtherProgramsIsWarned", {L"C:\\Windows\\System32\\cmd.exe"}, {"task.none"}, 0},
    {"OneTaskIsFine", {kLauncher}, {}, 1},
    {"AnotherCopyIsANote", {L"D:\\Show\\zStartup.exe", kLauncher}, {"task.other-launcher"}, 2},
    {"OnlyAnotherCopy", {L"D:\\Show\\zStartup.exe"}, {"task.other-launcher", "task.none"}, 1},
    {"TwoTasksAreSeveral", {kLauncher, L"\"%ProgramFiles%\\zStartup\\zStartup.exe\""}, {"task.several"}, 2},
};
// clang-format on

class RegisteredTasksJudgement : public TaskTest, public ::testing::WithParamInterface<RegisteredCase> {};

TEST_P(RegisteredTasksJudgement, FindsTheLaunchersTasks)
{
    std::vector<FoundTask> tasks;
    for (size_t i = 0; i < GetParam().commands.size(); ++i) {
        FoundTask task = {"\\Task" + std::to_string(i), TaskDefinition()};
        const Parts parts = With(&Parts::actions, L"<Exec><Command>" + GetParam().commands[i] + L"</Command></Exec>");
        std::string why;
        ASSERT_TRUE(ParseTaskDefinition(TaskXml(parts), task.definition, why)) << why;
        tasks.push_back(task);
    }
    CheckReport report;
    JudgeRegisteredTasks(tasks, Situation(), "", report);
    EXPECT_EQ(Codes(report), GetParam().codes);
    EXPECT_EQ(report.Tasks().size(), GetParam().reported);
    for (const Finding& finding : report.Findings()) {
        const Severity expected = finding.code == "task.other-launcher" ? Severity::kNote : Severity::kWarning;
        EXPECT_EQ(finding.severity, expected) << finding.code;
    }
}

std::string RegisteredName(const ::testing::TestParamInfo<RegisteredCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Schema, RegisteredTasksJudgement, ::testing::ValuesIn(kRegisteredCases), RegisteredName);

TEST_F(TaskTest, EachRegisteredTaskIsJudged)
{
    std::vector<FoundTask> tasks(2);
    std::string why;
    ASSERT_TRUE(ParseTaskDefinition(TaskXml(Parts()), tasks[0].definition, why)) << why;
    ASSERT_TRUE(ParseTaskDefinition(TaskXml(With(&Parts::settings, L"")), tasks[1].definition, why)) << why;
    tasks[0].path = "\\zStartup";
    tasks[1].path = "\\Copy";
    CheckReport report;
    JudgeRegisteredTasks(tasks, Situation(), "", report);
    ASSERT_EQ(Codes(report), std::vector<std::string>({"task.several", "task.battery"}));
    EXPECT_EQ(report.Findings()[1].subject, "\\Copy");
}

// -- definitions the checker refuses, and durations

// xml with its first find replaced.
std::wstring Replaced(std::wstring xml, const std::wstring& find, const std::wstring& replacement)
{
    return xml.replace(xml.find(find), find.size(), replacement);
}

struct RefusedCase {
    const char* name;
    std::wstring xml;
    const char* reason;  // a part of why
};

// clang-format off
const RefusedCase kRefusedCases[] = {
    {"NotXml", L"<Task><Settings>", "not well-formed XML"},
    {"NotATask", L"<Job xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"/>", "no <Task> root element"},
    {"OtherNamespace", L"<Task xmlns=\"urn:other\"/>", "no <Task> root element"},
    {"BooleanYes", TaskXml(WithSetting(L"<Enabled>yes</Enabled>")), "\"yes\" in Settings/Enabled"},
    {"UnknownPolicy", TaskXml(WithSetting(L"<MultipleInstancesPolicy>Sometimes</MultipleInstancesPolicy>")),
     "MultipleInstancesPolicy"},
    {"DurationInWords", TaskXml(WithSetting(L"<ExecutionTimeLimit>10 minutes</ExecutionTimeLimit>")),
     "ExecutionTimeLimit"},
    {"UnknownRunLevel",
     TaskXml(With(&Parts::principals,
                  L"<Principal id=\"Author\"><UserId>S-1-5-18</UserId><RunLevel>Highest</RunLevel></Principal>")),
     "RunLevel"},
    {"ContextNamesNoPrincipal",
     [] {
         Parts parts;
         parts.context = L"Nobody";
         return TaskXml(parts);
     }(),
     "\"Nobody\" in Actions/Context"},
    {"TriggerEnabledMaybe", TaskXml(With(&Parts::triggers, L"<BootTrigger><Enabled>maybe</Enabled></BootTrigger>")),
     "Triggers/BootTrigger/Enabled"},
    // An element the schema allows once, twice: the Task Scheduler refuses such a definition, and
    // a reader that took one of them would judge another task than the one registered.
    {"SettingsTwice", Replaced(TaskXml(Parts()), L"<Settings>", L"<Settings/><Settings>"), "<Settings> twice in Task"},
    {"EnabledTwice", TaskXml(WithSetting(L"<Enabled>true</Enabled><Enabled>false</Enabled>")),
     "<Enabled> twice in Settings"},
    {"LimitTwice",
     TaskXml(WithSetting(L"<ExecutionTimeLimit>PT15M</ExecutionTimeLimit><ExecutionTimeLimit>PT1M</ExecutionTimeLimit>")),
     "<ExecutionTimeLimit> twice in Settings"},
    {"TwoPrincipals",
     TaskXml(With(&Parts::principals, std::wstring(kSystem) + L"<Principal id=\"User\"><UserId>S-1-5-21-1-2-3-1001"
                                                              L"</UserId></Principal>")),
     "<Principal> twice in Principals"},
    {"RunLevelTwice",
     TaskXml(With(&Parts::principals, L"<Principal id=\"Author\"><UserId>S-1-5-21-1-2-3-1001</UserId><RunLevel>"
                                      L"LeastPrivilege</RunLevel><RunLevel>HighestAvailable</RunLevel></Principal>")),
     "<RunLevel> twice in Principals/Principal"},
    {"CommandTwice",
     TaskXml(With(&Parts::actions, L"<Exec><Command>C:\\Windows\\notepad.exe</Command><Command>C:\\Program Files\\"
                                   L"zStartup\\zStartup.exe</Command></Exec>")),
     "<Command> twice in Actions/Exec"},
    {"TriggerEnabledTwice",
     TaskXml(WithTriggers(L"<BootTrigger><Enabled>false</Enabled><Enabled>true</Enabled></BootTrigger>")),
     "<Enabled> twice in Triggers/BootTrigger"},
    // Another namespace where the task namespace is expected.
    {"SettingsInAnotherNamespace", Replaced(TaskXml(Parts()), L"<Settings>", L"<Settings xmlns=\"urn:other\">"),
     "<Settings> in Task in the namespace \"urn:other\""},
    {"TriggerEnabledInAnotherNamespace",
     TaskXml(WithTriggers(L"<BootTrigger><x:Enabled xmlns:x=\"urn:other\">false</x:Enabled></BootTrigger>")),
     "<Enabled> in Triggers/BootTrigger in the namespace \"urn:other\""},
    {"TriggerInNoNamespace", TaskXml(WithTriggers(L"<BootTrigger xmlns=\"\"/>")),
     "<BootTrigger> in Triggers in the namespace \"\""},
    // xs:dateTime and repetitionType.
    {"BoundaryInWords", TaskXml(WithTriggers(L"<BootTrigger><StartBoundary>tomorrow</StartBoundary></BootTrigger>")),
     "Triggers/BootTrigger/StartBoundary"},
    {"DayTheMonthLacks",
     TaskXml(WithTriggers(L"<LogonTrigger><EndBoundary>2026-02-30T00:00:00</EndBoundary></LogonTrigger>")),
     "\"2026-02-30T00:00:00\" in Triggers/LogonTrigger/EndBoundary"},
    {"OffsetPastFourteenHours",
     TaskXml(WithTriggers(L"<LogonTrigger><StartBoundary>2026-03-09T12:00:00+15:00</StartBoundary></LogonTrigger>")),
     "Triggers/LogonTrigger/StartBoundary"},
    {"RepetitionWithoutInterval",
     TaskXml(WithTriggers(L"<LogonTrigger><Repetition><Duration>PT1H</Duration></Repetition></LogonTrigger>")),
     "Triggers/LogonTrigger/Repetition"},
    {"IntervalInWords",
     TaskXml(WithTriggers(L"<LogonTrigger><Repetition><Interval>hourly</Interval></Repetition></LogonTrigger>")),
     "Triggers/LogonTrigger/Repetition/Interval"},
    // Entities that expand a few bytes into many: MSXML refuses the DTD (ProhibitDTD), or Wine's
    // parses it and the checker refuses the document.
    {"DtdRefused",
     L"<!DOCTYPE Task [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><Task>&b;</Task>",
     "DTD"},
};
// clang-format on

class RefusedDefinition : public TaskTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedDefinition, IsNamedNotJudged)
{
    TaskDefinition definition;
    std::string why;
    EXPECT_FALSE(ParseTaskDefinition(GetParam().xml, definition, why));
    EXPECT_NE(why.find(GetParam().reason), std::string::npos) << why;
}

std::string RefusedName(const ::testing::TestParamInfo<RefusedCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Schema, RefusedDefinition, ::testing::ValuesIn(kRefusedCases), RefusedName);

struct DurationCase {
    const char* name;
    const wchar_t* text;
    bool valid;
    long long seconds;
};

// xs:duration, as the schema's ExecutionTimeLimit takes it (PnYnMnDTnHnMnS).
// clang-format off
const DurationCase kDurationCases[] = {
    {"TenMinutes", L"PT10M", true, 600},
    {"DayAndHours", L"P1DT2H", true, 93600},
    {"Zero", L"PT0S", true, 0},
    {"AllParts", L"P1Y2M3DT4H5M6S", true, 365 * 86400LL + 60 * 86400LL + 3 * 86400 + 4 * 3600 + 5 * 60 + 6},
    // A fraction of a second is rounded up: PT0.1S still ends the run, as no limit would not.
    {"FractionOfSeconds", L"PT1.5S", true, 2},
    {"TenthOfASecond", L"PT0.1S", true, 1},
    {"NothingAfterP", L"P", false, 0},
    {"NothingAfterT", L"P1DT", false, 0},
    {"NoP", L"10M", false, 0},
    {"Negative", L"-PT1M", false, 0},
    {"FractionOfMinutes", L"PT1.5M", false, 0},
    {"HoursWithoutT", L"P1H", false, 0},
    {"PartsOutOfOrder", L"PT1S1M", false, 0},
    {"TrailingText", L"PT1Mx", false, 0},
    {"DotWithoutDigits", L"PT.S", false, 0},
};
// clang-format on

class TaskDuration : public ::testing::TestWithParam<DurationCase> {};

TEST_P(TaskDuration, ParsesAsTheSchemaDefinesIt)
{
    long long seconds = -1;
    EXPECT_EQ(ParseTaskDuration(GetParam().text, seconds), GetParam().valid);
    if (GetParam().valid) {
        EXPECT_EQ(seconds, GetParam().seconds);
    }
}

std::string DurationName(const ::testing::TestParamInfo<DurationCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Schema, TaskDuration, ::testing::ValuesIn(kDurationCases), DurationName);

// -- files as exported (UTF-16 LE with its mark) and as written by hand (UTF-8)

struct EncodingCase {
    const char* name;
    std::string bytes;  // the file
};

std::string Utf16LeWithMark(const std::wstring& text)
{
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

std::string Utf8(const std::wstring& text)
{
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], length, nullptr, nullptr);
    return bytes;
}

std::wstring WithDeclaration(const char* encoding)
{
    std::wstring xml =
        TaskXml(With(&Parts::settings, L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"));
    const std::wstring utf16 = L"encoding=\"UTF-16\"";
    return xml.replace(xml.find(utf16), utf16.size(), std::wstring(encoding, encoding + strlen(encoding)));
}

std::wstring WithoutDeclaration()
{
    const std::wstring xml = WithDeclaration("");
    return xml.substr(xml.find(L"?>") + 2);
}

// clang-format off
const EncodingCase kEncodingCases[] = {
    {"Utf16LeWithMark", Utf16LeWithMark(WithDeclaration("encoding=\"UTF-16\""))},
    {"Utf8WithMark", "\xEF\xBB\xBF" + Utf8(WithDeclaration("encoding=\"UTF-8\""))},
    {"Utf8WithoutMark", Utf8(WithDeclaration("encoding=\"UTF-8\""))},
    {"Utf8WithoutDeclaration", Utf8(WithoutDeclaration())},
};
// clang-format on

class DefinitionFile : public TaskTest, public ::testing::WithParamInterface<EncodingCase> {
protected:
    TestFolder folder_;
};

TEST_P(DefinitionFile, IsReadInEitherEncoding)
{
    folder_.Write("zStartup.task.xml", GetParam().bytes);
    const std::string path = folder_.PathOf("zStartup.task.xml");
    TaskDefinition definition;
    std::string why;
    ASSERT_TRUE(ReadTaskDefinitionFile(std::wstring(path.begin(), path.end()), definition, why)) << why;
    CheckReport report;
    JudgeTaskFile(definition, path, Situation(), report);
    // Only the stop going on batteries is left to its default, true.
    EXPECT_EQ(Codes(report), std::vector<std::string>({"task.battery"}));
}

std::string EncodingName(const ::testing::TestParamInfo<EncodingCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Files, DefinitionFile, ::testing::ValuesIn(kEncodingCases), EncodingName);

TEST_F(TaskTest, FileLargerThanAnyDefinitionIsRefused)
{
    TestFolder folder;
    folder.Write("big.xml", std::string(kMaxTaskFileBytes + 1, ' '));
    const std::string path = folder.PathOf("big.xml");
    TaskDefinition definition;
    std::string why;
    EXPECT_FALSE(ReadTaskDefinitionFile(std::wstring(path.begin(), path.end()), definition, why));
    EXPECT_NE(why.find("larger than"), std::string::npos) << why;
}

// A program that may delete or rename the file (an editor saving it, say) holds it with delete
// access: an open that does not share deleting fails beside it with a sharing violation.
TEST_F(TaskTest, FileHeldWithDeleteAccessIsRead)
{
    TestFolder folder;
    folder.Write("zStartup.task.xml", Utf8(WithDeclaration("encoding=\"UTF-8\"")));
    const std::string path = folder.PathOf("zStartup.task.xml");
    HANDLE holder =
        CreateFileA(path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    TaskDefinition definition;
    std::string why;
    EXPECT_TRUE(ReadTaskDefinitionFile(std::wstring(path.begin(), path.end()), definition, why)) << why;
    CloseHandle(holder);
}

TEST_F(TaskTest, MissingFileIsRefused)
{
    TestFolder folder;
    const std::string path = folder.PathOf("none.xml");
    TaskDefinition definition;
    std::string why;
    EXPECT_FALSE(ReadTaskDefinitionFile(std::wstring(path.begin(), path.end()), definition, why));
    EXPECT_NE(why.find("error 2"), std::string::npos) << why;
}

// -- what the Task Scheduler says of the last start, against the log's last write

FILETIME At(int hour, int minute, int second)
{
    const SYSTEMTIME time = {
        2026, 3, 0, 9, static_cast<WORD>(hour), static_cast<WORD>(minute), static_cast<WORD>(second), 0};
    FILETIME utc;
    SystemTimeToFileTime(&time, &utc);
    return utc;
}

struct RunCase {
    const char* name;
    bool runKnown;
    FILETIME run;
    bool resultKnown;
    LONG result;
    std::vector<std::string> codes;
};

const FILETIME kLogWrite = At(8, 0, 10);
const FILETIME kStarted = At(7, 0, 0);  // when Windows last started

// clang-format off
const RunCase kRunCases[] = {
    {"RunBeforeTheLastWrite", true, At(8, 0, 0), true, 0, {}},
    {"RunWithinTheSlack", true, At(8, 0, 12), true, 0, {}},
    {"RunAfterTheLastWriteWroteNothing", true, At(8, 0, 13), true, 0, {"last-run.silent"}},
    {"RunTimeUnknown", false, At(9, 0, 0), true, 0, {}},
    {"LaunchersAllocationFailure", true, At(8, 0, 0), true, 3, {}},
    {"StillRunning", true, At(8, 0, 0), true, SCHED_S_TASK_RUNNING, {}},
    {"HasNotRun", false, At(8, 0, 0), true, SCHED_S_TASK_HAS_NOT_RUN, {}},
    {"FileNotFound", true, At(8, 0, 0), true, static_cast<LONG>(0x80070002), {"last-run.task-result"}},
    {"EndedByItsLimit", true, At(8, 0, 0), true, SCHED_S_TASK_TERMINATED, {"last-run.task-result"}},
    {"SilentAndFailed",
     true,
     At(8, 5, 0),
     true,
     static_cast<LONG>(0x800710E0),
     {"last-run.silent", "last-run.task-result"}},
    {"ResultUnknown", true, At(8, 0, 0), false, 1, {}},
};
// clang-format on

class TaskRunJudgement : public ::testing::TestWithParam<RunCase> {};

TEST_P(TaskRunJudgement, ComparesTheTaskWithTheLog)
{
    const RunCase& row = GetParam();
    CheckReport report;
    report.Task({"\\zStartup", "zStartup.exe", true, true, {"boot"}, "S-1-5-18", true, false, {0, 0}, false, 0});
    JudgeTaskRuns({{"\\zStartup", row.runKnown, row.run, row.resultKnown, row.result}}, true, kLogWrite, kStarted,
                  report);
    EXPECT_EQ(Codes(report), row.codes);
    for (const Finding& finding : report.Findings()) EXPECT_EQ(finding.severity, Severity::kError);
    EXPECT_EQ(report.Tasks()[0].lastRunKnown, row.runKnown);
    EXPECT_EQ(report.Tasks()[0].lastResultKnown, row.resultKnown);
}

std::string RunName(const ::testing::TestParamInfo<RunCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Times, TaskRunJudgement, ::testing::ValuesIn(kRunCases), RunName);

TEST(TaskRunJudgementMessage, NamesTheResultInHex)
{
    CheckReport report;
    JudgeTaskRuns({{"\\zStartup", true, At(8, 0, 0), true, static_cast<LONG>(0x80070002)}}, false, kLogWrite, kStarted,
                  report);
    ASSERT_EQ(report.Findings().size(), 1u);
    EXPECT_NE(report.Findings()[0].message.find("0x80070002"), std::string::npos) << report.Findings()[0].message;
}

TEST(TaskRunJudgementMessage, NoLogMeansNoSilentRun)
{
    CheckReport report;
    JudgeTaskRuns({{"\\zStartup", true, At(9, 0, 0), true, 0}}, false, kLogWrite, kStarted, report);
    EXPECT_TRUE(report.Findings().empty());
}

// Windows' last start (a Fast Startup power-on counting) tells whether the silent start was
// this one's.
TEST(TaskRunJudgementMessage, SaysWhetherTheSilentStartWasSinceWindowsStarted)
{
    CheckReport since;
    JudgeTaskRuns({{"\\zStartup", true, At(8, 5, 0), true, 0}}, true, kLogWrite, At(8, 4, 0), since);
    ASSERT_EQ(since.Findings().size(), 1u);
    EXPECT_NE(since.Findings()[0].message.find(", since Windows last started"), std::string::npos);
    CheckReport before;
    JudgeTaskRuns({{"\\zStartup", true, At(8, 5, 0), true, 0}}, true, kLogWrite, At(9, 0, 0), before);
    ASSERT_EQ(before.Findings().size(), 1u);
    EXPECT_NE(before.Findings()[0].message.find(", before Windows last started (at "), std::string::npos);
}

}  // namespace
