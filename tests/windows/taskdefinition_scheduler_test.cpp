// The checker's task definition reader against the Task Scheduler's own: each definition is
// given to ParseTaskDefinition and to a new ITaskDefinition (ITaskService::NewTask, then
// put_XmlText, which refuses what the scheduler would refuse to register). Both must take it
// or both refuse it; taken, each part the checker reads must be what the scheduler read: the
// settings, each trigger's kind, state, boundaries, repetition and limit, each action's kind
// and command, the principal. The definitions are the shipped ones and a table written from
// the schema, as the reader's own tests (taskdefinition_test) build theirs.
#include <windows.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "checker/task/comobjects.h"
#include "checker/task/taskdefinition.h"
#include "tests/harness/testfolder.h"
#include "tests/windows/windowsonly.h"

using Microsoft::WRL::ComPtr;

namespace {

const char kWhy[] =
    "Wine's Task Scheduler drops a definition's triggers, principal and commands: the reader is "
    "compared with ITaskDefinition on Windows only";

// -- what the scheduler read, in the reader's terms

// The element of each trigger type ("Trigger Types", TASK_TRIGGER_TYPE2): the calendar types
// are one element's schedules.
const char* ElementOf(TASK_TRIGGER_TYPE2 type)
{
    switch (type) {
    case TASK_TRIGGER_EVENT:
        return "EventTrigger";
    case TASK_TRIGGER_TIME:
        return "TimeTrigger";
    case TASK_TRIGGER_DAILY:
    case TASK_TRIGGER_WEEKLY:
    case TASK_TRIGGER_MONTHLY:
    case TASK_TRIGGER_MONTHLYDOW:
        return "CalendarTrigger";
    case TASK_TRIGGER_IDLE:
        return "IdleTrigger";
    case TASK_TRIGGER_REGISTRATION:
        return "RegistrationTrigger";
    case TASK_TRIGGER_BOOT:
        return "BootTrigger";
    case TASK_TRIGGER_LOGON:
        return "LogonTrigger";
    case TASK_TRIGGER_SESSION_STATE_CHANGE:
        return "SessionStateChangeTrigger";
    default:
        return "?";
    }
}

TriggerKind KindOf(TASK_TRIGGER_TYPE2 type)
{
    if (type == TASK_TRIGGER_BOOT) return TriggerKind::kBoot;
    if (type == TASK_TRIGGER_LOGON) return TriggerKind::kLogon;
    if (type == TASK_TRIGGER_REGISTRATION) return TriggerKind::kRegistration;
    return TriggerKind::kRepeating;
}

const wchar_t* ElementOf(TASK_ACTION_TYPE type)
{
    switch (type) {
    case TASK_ACTION_EXEC:
        return L"Exec";
    case TASK_ACTION_COM_HANDLER:
        return L"ComHandler";
    case TASK_ACTION_SEND_EMAIL:
        return L"SendEmail";
    case TASK_ACTION_SHOW_MESSAGE:
        return L"ShowMessage";
    default:
        return L"?";
    }
}

InstancesPolicy PolicyOf(TASK_INSTANCES_POLICY policy)
{
    switch (policy) {
    case TASK_INSTANCES_PARALLEL:
        return InstancesPolicy::kParallel;
    case TASK_INSTANCES_QUEUE:
        return InstancesPolicy::kQueue;
    case TASK_INSTANCES_STOP_EXISTING:
        return InstancesPolicy::kStopExisting;
    default:
        return InstancesPolicy::kIgnoreNew;
    }
}

bool Yes(VARIANT_BOOL value) { return value != VARIANT_FALSE; }

// A BSTR property's text: get is the interface's getter, bound to its object.
template <typename Get>
std::wstring TextOf(Get get)
{
    UniqueBstr text;
    EXPECT_TRUE(SUCCEEDED(get(text.Put())));
    return BstrText(text);
}

// A duration as the scheduler keeps it, in seconds; empty text gives none.
long long SecondsOf(const std::wstring& duration, long long none)
{
    long long seconds = none;
    if (!duration.empty()) {
        EXPECT_TRUE(ParseTaskDuration(duration, seconds)) << "the scheduler kept " << duration.c_str();
    }
    return seconds;
}

// A boundary as the scheduler keeps it against the reader's: present in both or neither, and
// the same moment as written.
void ExpectSameBoundary(const std::wstring& kept, bool present, const TaskTime& read, const char* which)
{
    ASSERT_EQ(!kept.empty(), present) << which;
    TaskTime time;
    if (kept.empty() || !ParseTaskTime(kept, time)) return;
    EXPECT_EQ(memcmp(&time.wall, &read.wall, sizeof time.wall), 0) << which;
    EXPECT_EQ(time.local, read.local) << which;
    EXPECT_EQ(time.offsetMinutes, read.offsetMinutes) << which;
}

void ExpectSameSettings(ITaskDefinition* scheduler, const TaskDefinition& read)
{
    ComPtr<ITaskSettings> settings;
    ASSERT_EQ(scheduler->get_Settings(&settings), S_OK);
    VARIANT_BOOL value = VARIANT_FALSE;
    ASSERT_EQ(settings->get_Enabled(&value), S_OK);
    EXPECT_EQ(Yes(value), read.enabled) << "Enabled";
    ASSERT_EQ(settings->get_DisallowStartIfOnBatteries(&value), S_OK);
    EXPECT_EQ(Yes(value), read.disallowStartOnBatteries) << "DisallowStartIfOnBatteries";
    ASSERT_EQ(settings->get_StopIfGoingOnBatteries(&value), S_OK);
    EXPECT_EQ(Yes(value), read.stopGoingOnBatteries) << "StopIfGoingOnBatteries";
    ASSERT_EQ(settings->get_RunOnlyIfNetworkAvailable(&value), S_OK);
    EXPECT_EQ(Yes(value), read.runOnlyIfNetwork) << "RunOnlyIfNetworkAvailable";
    ASSERT_EQ(settings->get_RunOnlyIfIdle(&value), S_OK);
    EXPECT_EQ(Yes(value), read.runOnlyIfIdle) << "RunOnlyIfIdle";
    TASK_INSTANCES_POLICY policy = TASK_INSTANCES_IGNORE_NEW;
    ASSERT_EQ(settings->get_MultipleInstances(&policy), S_OK);
    EXPECT_EQ(PolicyOf(policy), read.instances) << "MultipleInstancesPolicy";
    // No text is no limit at all, as PT0S is.
    const std::wstring limit = TextOf([&](BSTR* text) { return settings->get_ExecutionTimeLimit(text); });
    EXPECT_EQ(SecondsOf(limit, 0), read.timeLimitSeconds) << "ExecutionTimeLimit";
}

void ExpectSameTrigger(ITrigger* trigger, const TaskTrigger& read)
{
    TASK_TRIGGER_TYPE2 type = TASK_TRIGGER_EVENT;
    ASSERT_EQ(trigger->get_Type(&type), S_OK);
    EXPECT_EQ(ElementOf(type), read.element);
    EXPECT_EQ(KindOf(type), read.kind) << read.element;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    ASSERT_EQ(trigger->get_Enabled(&enabled), S_OK);
    EXPECT_EQ(Yes(enabled), read.enabled) << read.element;
    ExpectSameBoundary(TextOf([&](BSTR* text) { return trigger->get_StartBoundary(text); }), read.hasStart, read.start,
                       "StartBoundary");
    ExpectSameBoundary(TextOf([&](BSTR* text) { return trigger->get_EndBoundary(text); }), read.hasEnd, read.end,
                       "EndBoundary");
    ComPtr<IRepetitionPattern> repetition;
    ASSERT_EQ(trigger->get_Repetition(&repetition), S_OK);
    const std::wstring interval = TextOf([&](BSTR* text) { return repetition->get_Interval(text); });
    EXPECT_EQ(!interval.empty(), read.repeats) << read.element << " repetition";
    const std::wstring limit = TextOf([&](BSTR* text) { return trigger->get_ExecutionTimeLimit(text); });
    EXPECT_EQ(SecondsOf(limit, 0), read.timeLimitSeconds) << read.element << " limit";
}

void ExpectSameTriggers(ITaskDefinition* scheduler, const TaskDefinition& read)
{
    ComPtr<ITriggerCollection> triggers;
    LONG count = 0;
    ASSERT_EQ(scheduler->get_Triggers(&triggers), S_OK);
    ASSERT_EQ(triggers->get_Count(&count), S_OK);
    ASSERT_EQ(static_cast<size_t>(count), read.triggers.size());
    for (LONG i = 0; i < count; ++i) {
        ComPtr<ITrigger> trigger;
        ASSERT_EQ(triggers->get_Item(i + 1, &trigger), S_OK);  // counted from 1
        ExpectSameTrigger(trigger.Get(), read.triggers[i]);
    }
}

void ExpectSameActions(ITaskDefinition* scheduler, const TaskDefinition& read)
{
    ComPtr<IActionCollection> actions;
    LONG count = 0;
    ASSERT_EQ(scheduler->get_Actions(&actions), S_OK);
    ASSERT_EQ(actions->get_Count(&count), S_OK);
    ASSERT_EQ(static_cast<size_t>(count), read.actions.size());
    for (LONG i = 0; i < count; ++i) {
        ComPtr<IAction> action;
        TASK_ACTION_TYPE type = TASK_ACTION_EXEC;
        ASSERT_EQ(actions->get_Item(i + 1, &action), S_OK);
        ASSERT_EQ(action->get_Type(&type), S_OK);
        EXPECT_EQ(ElementOf(type), read.actions[i].element);
        EXPECT_EQ(type == TASK_ACTION_EXEC, read.actions[i].kind == ActionKind::kExec);
        ComPtr<IExecAction> exec;
        if (type != TASK_ACTION_EXEC || FAILED(action.As(&exec))) continue;
        EXPECT_EQ(TextOf([&](BSTR* text) { return exec->get_Path(text); }), read.actions[i].text);
    }
}

void ExpectSamePrincipal(ITaskDefinition* scheduler, const TaskDefinition& read)
{
    ComPtr<IPrincipal> principal;
    ASSERT_EQ(scheduler->get_Principal(&principal), S_OK);
    EXPECT_EQ(TextOf([&](BSTR* text) { return principal->get_UserId(text); }), read.userId);
    EXPECT_EQ(TextOf([&](BSTR* text) { return principal->get_GroupId(text); }), read.groupId);
    TASK_RUNLEVEL_TYPE level = TASK_RUNLEVEL_LUA;
    ASSERT_EQ(principal->get_RunLevel(&level), S_OK);
    EXPECT_EQ(level == TASK_RUNLEVEL_HIGHEST, read.highestAvailable);
}

// -- the comparison

class SchedulerTest : public WindowsOnlyTest {
protected:
    SchedulerTest() : WindowsOnlyTest(kWhy) {}
    void SetUp() override
    {
        WindowsOnlyTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_EQ(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&service_)), S_OK);
        VARIANT none;
        VariantInit(&none);
        ASSERT_EQ(service_->Connect(none, none, none, none), S_OK);
    }

    // The scheduler's answer to xml: S_OK with definition, or why it refuses it.
    HRESULT SchedulerReads(const std::wstring& xml, ComPtr<ITaskDefinition>& definition)
    {
        HRESULT result = service_->NewTask(0, &definition);
        if (FAILED(result)) return result;
        const UniqueBstr text = BstrOf(xml.c_str());
        return definition->put_XmlText(text.Get());
    }

    // Both take xml, reading the same, or both refuse it.
    void ExpectSameReading(const std::wstring& xml)
    {
        TaskDefinition read;
        std::string why;
        const bool readerTakes = ParseTaskDefinition(xml, read, why);
        ComPtr<ITaskDefinition> scheduler;
        const HRESULT result = SchedulerReads(xml, scheduler);
        ASSERT_EQ(readerTakes, SUCCEEDED(result))
            << "the reader " << (readerTakes ? "takes it" : "refuses it: it " + why) << "; the scheduler answers "
            << HexText(result);
        if (!readerTakes) return;
        ExpectSameSettings(scheduler.Get(), read);
        ExpectSameTriggers(scheduler.Get(), read);
        ExpectSameActions(scheduler.Get(), read);
        ExpectSamePrincipal(scheduler.Get(), read);
    }

private:
    const UniqueComApartment apartment_ = EnterComApartment();
    ComPtr<ITaskService> service_;
};

// -- the shipped definitions, as the release writes them (UTF-16 LE with its mark)

std::wstring Utf16Text(const std::string& bytes)
{
    if (bytes.size() < 2 || bytes.compare(0, 2, "\xFF\xFE") != 0) return std::wstring();
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    memcpy(&text[0], bytes.data() + 2, text.size() * sizeof(wchar_t));
    return text;
}

class ShippedDefinition : public SchedulerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ShippedDefinition, ReadsAsTheSchedulerReadsIt)
{
    const std::string path = std::string(ZSTARTUP_TASKS_DIR) + "/" + GetParam();
    const std::wstring xml = Utf16Text(ReadFileBytes(path));
    ASSERT_FALSE(xml.empty()) << path << " is missing or not UTF-16 LE with its mark";
    ExpectSameReading(xml);
    TaskDefinition fromFile;
    std::string why;
    EXPECT_TRUE(ReadTaskDefinitionFile(std::wstring(path.begin(), path.end()), fromFile, why)) << why;
}

INSTANTIATE_TEST_SUITE_P(Scheduler, ShippedDefinition, ::testing::Values("zStartup.task.xml", "zStartup.boot.task.xml"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return info.index == 0 ? std::string("AtLogon") : std::string("AtBoot");
                         });

// -- the table

struct Parts {
    std::wstring triggers = L"<BootTrigger><Enabled>true</Enabled></BootTrigger>";
    std::wstring principals = L"<Principal id=\"Author\"><UserId>S-1-5-18</UserId></Principal>";
    std::wstring settings =
        L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
        L"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>";
    std::wstring actions = L"<Exec><Command>%ProgramFiles%\\zStartup\\zStartup.exe</Command></Exec>";
    std::wstring context;  // Actions' Context attribute, "" for none
};

std::wstring TaskXml(const Parts& parts)
{
    return L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
           L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
           L"<Triggers>" +
           parts.triggers + L"</Triggers><Principals>" + parts.principals + L"</Principals><Settings>" +
           parts.settings + L"</Settings><Actions" +
           (parts.context.empty() ? L"" : L" Context=\"" + parts.context + L"\"") + L">" + parts.actions +
           L"</Actions></Task>";
}

std::wstring With(std::wstring Parts::*part, const std::wstring& value)
{
    Parts parts;
    parts.*part = value;
    return TaskXml(parts);
}

std::wstring WithSetting(const std::wstring& setting) { return With(&Parts::settings, Parts().settings + setting); }

std::wstring WithPrincipal(const std::wstring& inside)
{
    return With(&Parts::principals, L"<Principal id=\"Author\">" + inside + L"</Principal>");
}

struct DefinitionRow {
    const char* name;
    std::wstring xml;
};

// clang-format off
const DefinitionRow kDefinitions[] = {
    {"PackageSettings", TaskXml(Parts())},
    {"NoSettings", With(&Parts::settings, L"")},
    {"Disabled", WithSetting(L"<Enabled>false</Enabled>")},
    {"BooleanOneAndZero", With(&Parts::settings, L"<DisallowStartIfOnBatteries>0</DisallowStartIfOnBatteries>"
                                                 L"<StopIfGoingOnBatteries>0</StopIfGoingOnBatteries><Enabled>1</Enabled>")},
    {"NetworkAndIdle", WithSetting(L"<RunOnlyIfNetworkAvailable>true</RunOnlyIfNetworkAvailable>"
                                   L"<RunOnlyIfIdle>true</RunOnlyIfIdle>")},
    {"Parallel", WithSetting(L"<MultipleInstancesPolicy>Parallel</MultipleInstancesPolicy>")},
    {"Queue", WithSetting(L"<MultipleInstancesPolicy>Queue</MultipleInstancesPolicy>")},
    {"StopExisting", WithSetting(L"<MultipleInstancesPolicy>StopExisting</MultipleInstancesPolicy>")},
    {"LimitInMinutesAndSeconds", WithSetting(L"<ExecutionTimeLimit>PT12M54S</ExecutionTimeLimit>")},
    {"LimitInDaysAndHours", WithSetting(L"<ExecutionTimeLimit>P1DT2H</ExecutionTimeLimit>")},
    {"NoLimit", WithSetting(L"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>")},
    {"LimitOfATenthOfASecond", WithSetting(L"<ExecutionTimeLimit>PT0.1S</ExecutionTimeLimit>")},
    {"NoTriggers", With(&Parts::triggers, L"")},
    {"DisabledBootTrigger", With(&Parts::triggers, L"<BootTrigger><Enabled>false</Enabled></BootTrigger>")},
    {"LogonTrigger", With(&Parts::triggers, L"<LogonTrigger/>")},
    {"BootAndLogon", With(&Parts::triggers, L"<BootTrigger/><LogonTrigger><Enabled>false</Enabled></LogonTrigger>")},
    {"RegistrationTrigger", With(&Parts::triggers, L"<RegistrationTrigger/>")},
    {"TimeTriggerInLocalTime",
     With(&Parts::triggers, L"<TimeTrigger><StartBoundary>2026-01-01T08:00:00</StartBoundary></TimeTrigger>")},
    {"CalendarTrigger",
     With(&Parts::triggers, L"<CalendarTrigger><StartBoundary>2026-01-01T08:00:00Z</StartBoundary>"
                            L"<ScheduleByDay><DaysInterval>1</DaysInterval></ScheduleByDay></CalendarTrigger>")},
    {"BoundariesInUtcAndAnOffset",
     With(&Parts::triggers, L"<LogonTrigger><StartBoundary>2026-01-01T00:00:00Z</StartBoundary>"
                            L"<EndBoundary>2027-01-01T00:00:00+02:00</EndBoundary></LogonTrigger>")},
    {"BoundaryWithFractions",
     With(&Parts::triggers, L"<BootTrigger><StartBoundary>2026-03-09T12:00:00.5Z</StartBoundary></BootTrigger>")},
    {"RepeatingLogon",
     With(&Parts::triggers, L"<LogonTrigger><Repetition><Interval>PT1H</Interval></Repetition></LogonTrigger>")},
    {"TriggerWithItsOwnLimit",
     With(&Parts::triggers, L"<BootTrigger><ExecutionTimeLimit>PT5M</ExecutionTimeLimit></BootTrigger>")},
    {"UserWithoutRunLevel", WithPrincipal(L"<UserId>S-1-5-21-1-2-3-1001</UserId>")},
    {"UserHighestAvailable",
     WithPrincipal(L"<UserId>S-1-5-21-1-2-3-1001</UserId><RunLevel>HighestAvailable</RunLevel>")},
    {"UsersGroupHighestAvailable", WithPrincipal(L"<GroupId>S-1-5-32-545</GroupId><RunLevel>HighestAvailable</RunLevel>")},
    {"NoPrincipal", With(&Parts::principals, L"")},
    {"SystemByName", WithPrincipal(L"<UserId>SYSTEM</UserId>")},
    {"NtAuthoritySystem", WithPrincipal(L"<UserId>NT AUTHORITY\\SYSTEM</UserId>")},
    {"LocalService", WithPrincipal(L"<UserId>S-1-5-19</UserId>")},
    {"ContextNamesThePrincipal", [] {
         Parts parts;
         parts.context = L"Author";
         return TaskXml(parts);
     }()},
    {"CommandQuoted", With(&Parts::actions, L"<Exec><Command>\"C:\\Program Files\\zStartup\\zStartup.exe\"</Command></Exec>")},
    {"CommandRelative", With(&Parts::actions, L"<Exec><Command>zStartup.exe</Command></Exec>")},
    {"ComHandlerBesideExec",
     With(&Parts::actions, L"<ComHandler><ClassId>{00000000-0000-0000-0000-000000000001}</ClassId></ComHandler>" +
                           Parts().actions)},
    // Refused by the reader, as the schema refuses them.
    {"NotXml", L"<Task><Settings>"},
    {"NotATask", L"<Job xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"/>"},
    {"OtherNamespace", L"<Task xmlns=\"urn:other\"/>"},
    {"BooleanYes", WithSetting(L"<Enabled>yes</Enabled>")},
    {"UnknownPolicy", WithSetting(L"<MultipleInstancesPolicy>Sometimes</MultipleInstancesPolicy>")},
    {"DurationInWords", WithSetting(L"<ExecutionTimeLimit>10 minutes</ExecutionTimeLimit>")},
    {"NegativeDuration", WithSetting(L"<ExecutionTimeLimit>-PT1M</ExecutionTimeLimit>")},
    {"UnknownRunLevel", WithPrincipal(L"<UserId>S-1-5-18</UserId><RunLevel>Highest</RunLevel>")},
    {"ContextNamesNoPrincipal", [] {
         Parts parts;
         parts.context = L"Nobody";
         return TaskXml(parts);
     }()},
    {"TriggerEnabledMaybe", With(&Parts::triggers, L"<BootTrigger><Enabled>maybe</Enabled></BootTrigger>")},
    {"EnabledTwice", WithSetting(L"<Enabled>true</Enabled><Enabled>false</Enabled>")},
    {"TwoPrincipals",
     With(&Parts::principals, Parts().principals + L"<Principal id=\"User\"><UserId>S-1-5-21-1-2-3-1001</UserId></Principal>")},
    {"CommandTwice", With(&Parts::actions, L"<Exec><Command>C:\\Windows\\notepad.exe</Command>"
                                           L"<Command>C:\\Windows\\write.exe</Command></Exec>")},
    {"SettingInAnotherNamespace", WithSetting(L"<x:Enabled xmlns:x=\"urn:other\">false</x:Enabled>")},
    {"BoundaryInWords", With(&Parts::triggers, L"<BootTrigger><StartBoundary>tomorrow</StartBoundary></BootTrigger>")},
    {"DayTheMonthLacks",
     With(&Parts::triggers, L"<LogonTrigger><EndBoundary>2026-02-30T00:00:00</EndBoundary></LogonTrigger>")},
    {"RepetitionWithoutInterval",
     With(&Parts::triggers, L"<LogonTrigger><Repetition><Duration>PT1H</Duration></Repetition></LogonTrigger>")},
};
// clang-format on

void PrintTo(const DefinitionRow& row, std::ostream* out) { *out << row.name; }

class TableDefinition : public SchedulerTest, public ::testing::WithParamInterface<DefinitionRow> {};

TEST_P(TableDefinition, ReadsAsTheSchedulerReadsIt) { ExpectSameReading(GetParam().xml); }

INSTANTIATE_TEST_SUITE_P(Scheduler, TableDefinition, ::testing::ValuesIn(kDefinitions),
                         [](const ::testing::TestParamInfo<DefinitionRow>& info) { return info.param.name; });

}  // namespace
