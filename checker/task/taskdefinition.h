// TaskDefinition: what a Task Scheduler definition says about starting the launcher, read with
// MSXML from the XML of Microsoft's Task Scheduler schema, absent elements taking the schema's
// documented defaults. Reading one needs a COM apartment on this thread (EnterComApartment).
#ifndef ZSTARTUP_CHECKER_TASK_TASKDEFINITION_H
#define ZSTARTUP_CHECKER_TASK_TASKDEFINITION_H

#include <windows.h>

#include <string>
#include <vector>

// kRepeating: the triggers that fire again and again while Windows runs (CalendarTrigger,
// TimeTrigger, EventTrigger, IdleTrigger, SessionStateChangeTrigger, and any other kind).
enum class TriggerKind { kBoot, kLogon, kRegistration, kRepeating };

// An xs:dateTime as the schema writes a trigger's boundary: YYYY-MM-DDTHH:MM:SS, optional
// fractions of a second, then Z, an offset (+HH:MM or -HH:MM), or nothing for the computer's
// local time.
struct TaskTime {
    SYSTEMTIME wall = {};    // as written, fractions dropped
    bool local = true;       // no offset: the computer's time zone and daylight saving time
    LONG offsetMinutes = 0;  // ahead of UTC, when not local
};

struct TaskTrigger {
    TriggerKind kind = TriggerKind::kRepeating;
    std::string element;    // the trigger's element name, UTF-8 ("BootTrigger", "TimeTrigger", ...)
    bool enabled = true;    // its Enabled, true when absent
    bool hasStart = false;  // StartBoundary: the trigger is not active before it
    TaskTime start;
    bool hasEnd = false;  // EndBoundary: nor after it
    TaskTime end;
    bool repeats = false;  // it has a Repetition: the task is started again at its Interval
    // Its own ExecutionTimeLimit in seconds, 0 when it has none.
    long long timeLimitSeconds = 0;
};

enum class ActionKind { kExec, kOther };

struct TaskAction {
    ActionKind kind = ActionKind::kExec;
    std::wstring element;  // "Exec", "ComHandler", "SendEmail", "ShowMessage"
    // Exec: the Command as written (quotes and variables kept); ComHandler: the ClassId; else "".
    std::wstring text;
};

// What MultipleInstancesPolicy does when the task starts while a run is still going.
enum class InstancesPolicy { kIgnoreNew, kQueue, kParallel, kStopExisting };

struct TaskDefinition {
    bool enabled = true;  // Settings/Enabled
    std::vector<TaskTrigger> triggers;
    std::vector<TaskAction> actions;  // in order
    // Of the principal the actions run as (Actions' Context, or the only one): "" when absent.
    std::wstring userId;
    std::wstring groupId;
    bool highestAvailable = false;         // RunLevel HighestAvailable; LeastPrivilege when absent
    bool disallowStartOnBatteries = true;  // DisallowStartIfOnBatteries
    bool stopGoingOnBatteries = true;      // StopIfGoingOnBatteries
    bool runOnlyIfNetwork = false;         // RunOnlyIfNetworkAvailable
    bool runOnlyIfIdle = false;            // RunOnlyIfIdle
    InstancesPolicy instances = InstancesPolicy::kIgnoreNew;
    // ExecutionTimeLimit in seconds, 72 hours when absent (ITaskSettings), 0 for PT0S: no limit.
    long long timeLimitSeconds = 72 * 3600;
};

// The Command of each Exec action of definition, in order.
std::vector<std::wstring> ExecCommands(const TaskDefinition& definition);

// The largest definition file read: the Task Scheduler's own are a few kilobytes.
const unsigned long kMaxTaskFileBytes = 1 << 20;

// Reads a definition file (UTF-16 or UTF-8, with or without a byte order mark, as its XML
// declaration and mark say). True with definition filled in; false, with why set (naming what
// is wrong, in UTF-8, to follow the file's name), when the file cannot be read, is over
// kMaxTaskFileBytes, is not well-formed XML, has no Task root element in the task namespace (or
// none), holds a value the schema does not allow in an element read here, repeats an element
// the schema allows once, or has an element in another namespace than the root's where one of
// the schema's is expected. DTDs are refused; nothing is fetched.
bool ReadTaskDefinitionFile(const std::wstring& path, TaskDefinition& definition, std::string& why);

// The same for a definition as text (a registered task's XML).
bool ParseTaskDefinition(const std::wstring& xml, TaskDefinition& definition, std::string& why);

// Parses an xs:duration ("PT10M", "P1DT2H", "PT0S"; a year taken as 365 days and a month as
// 30; fractions of a second rounded up, so that "PT0.1S" is one second, never no limit). True
// with seconds set; false for anything else, a negative duration included.
bool ParseTaskDuration(const std::wstring& text, long long& seconds);

// Parses a boundary as TaskTime describes it. True with time set; false for anything else (a
// date or time out of range included).
bool ParseTaskTime(const std::wstring& text, TaskTime& time);

#endif
