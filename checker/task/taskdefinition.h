// TaskDefinition: what a Task Scheduler definition says about starting the launcher, read with
// MSXML from the XML of Microsoft's Task Scheduler schema, absent elements taking the schema's
// documented defaults. Reading one needs a COM apartment on this thread (EnterComApartment).
#ifndef ZSTARTUP_CHECKER_TASK_TASKDEFINITION_H
#define ZSTARTUP_CHECKER_TASK_TASKDEFINITION_H

#include <string>
#include <vector>

enum class TriggerKind { kBoot, kLogon, kOther };

struct TaskTrigger {
    TriggerKind kind = TriggerKind::kOther;
    std::string element;  // the trigger's element name ("BootTrigger", "TimeTrigger", ...)
    bool enabled = true;  // its Enabled, true when absent
};

// What MultipleInstancesPolicy does when the task starts while a run is still going.
enum class InstancesPolicy { kIgnoreNew, kQueue, kParallel, kStopExisting };

struct TaskDefinition {
    bool enabled = true;  // Settings/Enabled
    std::vector<TaskTrigger> triggers;
    // The Command of each Exec action, in order, as written (quotes and variables kept).
    std::vector<std::wstring> commands;
    // Of the principal the actions run as (Actions' Context, or the only one): "" when absent.
    std::wstring userId;
    std::wstring groupId;
    bool highestAvailable = false;         // RunLevel HighestAvailable; LeastPrivilege when absent
    bool disallowStartOnBatteries = true;  // DisallowStartIfOnBatteries
    bool stopGoingOnBatteries = true;      // StopIfGoingOnBatteries
    InstancesPolicy instances = InstancesPolicy::kIgnoreNew;
    // ExecutionTimeLimit in seconds, 72 hours when absent (ITaskSettings), 0 for PT0S: no limit.
    long long timeLimitSeconds = 72 * 3600;
};

// The largest definition file read: the Task Scheduler's own are a few kilobytes.
const unsigned long kMaxTaskFileBytes = 1 << 20;

// Reads a definition file (UTF-16 or UTF-8, with or without a byte order mark, as its XML
// declaration and mark say). True with definition filled in; false, with why set (naming what
// is wrong, in ANSI text, to follow the file's name), when the file cannot be read, is over kMaxTaskFileBytes, is not
// well-formed XML, has no Task root element in the task namespace (or none), or holds a value
// the schema does not allow in an element read here. DTDs are refused; nothing is fetched.
bool ReadTaskDefinitionFile(const std::wstring& path, TaskDefinition& definition, std::string& why);

// The same for a definition as text (a registered task's XML).
bool ParseTaskDefinition(const std::wstring& xml, TaskDefinition& definition, std::string& why);

// Parses an xs:duration of whole or fractional seconds ("PT10M", "P1DT2H", "PT0S"; a year taken
// as 365 days and a month as 30). True with seconds set; false for anything else, a negative
// duration included.
bool ParseTaskDuration(const std::wstring& text, long long& seconds);

#endif
