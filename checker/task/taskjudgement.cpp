#include "checker/task/taskjudgement.h"

#include <windows.h>

#include "checker/launchertarget.h"
#include "checker/task/taskaccess.h"
#include "helpers/paths.h"
#include "helpers/text.h"
#include "runrules/runconstants.h"

namespace {

std::string Seconds(long long seconds)
{
    if (seconds % 60 == 0) return std::to_string(seconds / 60) + " min";
    return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s";
}

// The boundary in UTC: an offset as written, or, without one, the computer's time zone and
// daylight saving time on that date, as the Task Scheduler reads it.
FILETIME UtcOf(const TaskTime& time)
{
    SYSTEMTIME utc = time.wall;
    if (time.local) TzSpecificLocalTimeToSystemTime(NULL, &time.wall, &utc);
    FILETIME result = {};
    SystemTimeToFileTime(&utc, &result);
    if (time.local) return result;
    ULARGE_INTEGER ticks = {{result.dwLowDateTime, result.dwHighDateTime}};
    ticks.QuadPart -= static_cast<LONGLONG>(time.offsetMinutes) * 60 * 10000000;
    return {ticks.LowPart, ticks.HighPart};
}

bool Before(const FILETIME& a, const FILETIME& b) { return CompareFileTime(&a, &b) < 0; }

bool Ended(const TaskTrigger& trigger, const FILETIME& now)
{
    return trigger.hasEnd && !Before(now, UtcOf(trigger.end));
}

// Enabled, its StartBoundary come and its EndBoundary not passed.
bool InForce(const TaskTrigger& trigger, const FILETIME& now)
{
    return trigger.enabled && !Ended(trigger, now) && !(trigger.hasStart && Before(now, UtcOf(trigger.start)));
}

bool IsStartTrigger(const TaskTrigger& trigger)
{
    return trigger.kind == TriggerKind::kBoot || trigger.kind == TriggerKind::kLogon;
}

bool HasInForce(const TaskDefinition& definition, TriggerKind kind, const FILETIME& now)
{
    for (const TaskTrigger& trigger : definition.triggers) {
        if (trigger.kind == kind && InForce(trigger, now)) return true;
    }
    return false;
}

void JudgeStart(const TaskDefinition& definition, const TaskName& name, const TaskSituation& situation,
                CheckReport& report)
{
    if (!definition.enabled) {
        TaskFinding(report, Severity::kError, "task.disabled", name,
                    name.text +
                        " is disabled (Settings/Enabled false): it never starts the launcher; enable it "
                        "(schtasks /Change /TN <name> /ENABLE)");
    }
    const bool boot = HasInForce(definition, TriggerKind::kBoot, situation.now);
    const bool logon = HasInForce(definition, TriggerKind::kLogon, situation.now);
    if (!boot && !logon) {
        TaskFinding(report, Severity::kWarning, "task.no-start-trigger", name,
                    name.text +
                        " has no boot or logon trigger in force (enabled, its StartBoundary come and its "
                        "EndBoundary not passed): it starts the launcher only when run by hand or by its other "
                        "triggers; give it a BootTrigger (or a LogonTrigger)");
    } else if (boot && !logon && situation.fastStartupOn) {
        TaskFinding(report, Severity::kWarning, "task.fast-startup", name,
                    name.text +
                        " starts the launcher only at boot, and Fast Startup is on (HiberbootEnabled 1): a "
                        "power-on after Shut down resumes the hibernated system session, the Task Scheduler "
                        "is not started again and the task does not run; add a logon trigger, turn Fast "
                        "Startup off, or restart instead of shutting down");
    }
}

void JudgeBatteries(const TaskDefinition& definition, const TaskName& name, CheckReport& report)
{
    std::string why;
    if (definition.disallowStartOnBatteries)
        why = "it does not start while the machine runs on batteries (DisallowStartIfOnBatteries true, the default)";
    if (definition.stopGoingOnBatteries) {
        why += std::string(why.empty() ? "it" : ", and it") +
               " ends the launcher when the machine goes on batteries (StopIfGoingOnBatteries true, the schema's "
               "default)";
    }
    if (why.empty()) return;
    TaskFinding(report, Severity::kWarning, "task.battery", name,
                name.text + ": " + why +
                    "; a laptop or tablet on batteries is left with services half stopped or "
                    "never started: set both to false");
}

void JudgeInstances(const TaskDefinition& definition, const TaskName& name, CheckReport& report)
{
    if (definition.instances == InstancesPolicy::kParallel) {
        TaskFinding(report, Severity::kWarning, "task.instances", name,
                    name.text +
                        " lets runs overlap (MultipleInstancesPolicy Parallel): two launchers stop and start "
                        "the same services at once; set it to IgnoreNew");
    } else if (definition.instances == InstancesPolicy::kStopExisting) {
        TaskFinding(report, Severity::kWarning, "task.instances", name,
                    name.text +
                        " ends a running launcher when it starts again (MultipleInstancesPolicy "
                        "StopExisting), which can leave a service stopped; set it to IgnoreNew");
    }
}

void JudgeConditions(const TaskDefinition& definition, const TaskName& name, CheckReport& report)
{
    std::string when;
    std::string why;
    if (definition.runOnlyIfNetwork) {
        when = "only while a network is available (RunOnlyIfNetworkAvailable true)";
        why = "a start before the network is up is skipped";
    }
    if (definition.runOnlyIfIdle) {
        when += std::string(when.empty() ? "" : ", and ") + "only once the computer is idle (RunOnlyIfIdle true)";
        why += std::string(why.empty() ? "" : ", and ") + "a show seldom leaves the computer idle";
    }
    if (when.empty()) return;
    TaskFinding(report, Severity::kWarning, "task.conditions", name,
                name.text + " starts the launcher " + when + ": " + why + "; set it to false");
}

// The shortest limit a start of the launcher has, Settings' or its start trigger's; 0 for none.
long long TimeLimitOf(const TaskDefinition& definition, const FILETIME& now, std::string& element)
{
    long long limit = definition.timeLimitSeconds;
    element = "ExecutionTimeLimit";
    for (const TaskTrigger& trigger : definition.triggers) {
        if (!IsStartTrigger(trigger) || !InForce(trigger, now) || trigger.timeLimitSeconds == 0) continue;
        if (limit != 0 && limit <= trigger.timeLimitSeconds) continue;
        limit = trigger.timeLimitSeconds;
        element = "Triggers/" + trigger.element + "/ExecutionTimeLimit";
    }
    return limit;
}

void JudgeTimeLimit(const TaskDefinition& definition, const TaskName& name, const FILETIME& now, CheckReport& report)
{
    const long long longest = LongestRunSeconds();
    std::string element;
    const long long limit = TimeLimitOf(definition, now, element);
    if (limit == 0 || limit >= longest) return;
    TaskFinding(report, Severity::kWarning, "task.time-limit", name,
                name.text + " ends the launcher after " + Seconds(limit) + " (" + element +
                    "), less than its longest run, " + Seconds(longest) +
                    " (11 entries whose services are slow to stop and start, and a held log); set PT" +
                    std::to_string((longest + 59) / 60) + "M");
}

// Start triggers that repeat, and triggers that fire again while Windows runs.
void JudgeRepeats(const TaskDefinition& definition, const TaskName& name, const FILETIME& now, CheckReport& report)
{
    if (!HasInForce(definition, TriggerKind::kBoot, now) && !HasInForce(definition, TriggerKind::kLogon, now)) return;
    std::string again;
    for (const TaskTrigger& trigger : definition.triggers) {
        std::string what;
        if (IsStartTrigger(trigger) && InForce(trigger, now) && trigger.repeats)
            what = trigger.element + " (its Repetition)";
        else if (trigger.kind == TriggerKind::kRepeating && trigger.enabled && !Ended(trigger, now))
            what = trigger.element;
        if (!what.empty()) again += (again.empty() ? "" : ", ") + what;
    }
    if (again.empty()) return;
    TaskFinding(report, Severity::kWarning, "task.repeats", name,
                name.text + " starts the launcher again after its boot or logon start: " + again +
                    "; the listed services are stopped and started again while the show runs; remove the "
                    "Repetition and give other triggers a task of their own");
}

// The command that runs the launcher, else definition's first, else "": what a report names.
std::wstring ReportedCommand(const TaskDefinition& definition, const std::wstring& ownCommand)
{
    const std::vector<std::wstring> commands = ExecCommands(definition);
    if (!ownCommand.empty() || commands.empty()) return ownCommand;
    return commands[0];
}

// The Task Scheduler's own process looks for a relative program; the checker must not guess.
void JudgeCommandPath(const TaskDefinition& definition, const TaskName& name, const TaskSituation& situation,
                      CheckReport& report)
{
    const std::wstring command =
        ReportedCommand(definition, CommandRunning(definition, situation.launcher, CommandTarget::kThisLauncher));
    const std::wstring program = CommandProgram(command);
    if (program.empty() || !IsRelativeProgram(program)) return;
    TaskFinding(report, Severity::kWarning, "task.command-relative", name,
                name.text + " runs \"" + Utf8Of(program) +
                    "\", which is no full path: the Task Scheduler looks for it where its own process looks "
                    "(the system folders, then PATH), not in the task's WorkingDirectory, so which program "
                    "starts is not known; write the launcher's full path, " +
                    Utf8Of(situation.launcher));
}

// The actions besides the one that runs the launcher, which the Task Scheduler runs one after
// another with it.
void JudgeOtherActions(const TaskDefinition& definition, const TaskName& name, const TaskSituation& situation,
                       CheckReport& report)
{
    const std::wstring own = CommandRunning(definition, situation.launcher, CommandTarget::kThisLauncher);
    if (own.empty()) return;
    bool ownSeen = false;
    std::string others;
    for (const TaskAction& action : definition.actions) {
        if (!ownSeen && action.kind == ActionKind::kExec && action.text == own) {
            ownSeen = true;
            continue;
        }
        others += (others.empty() ? "" : ", ") + Utf8Of(action.element) +
                  (action.text.empty() ? "" : " " + Utf8Of(action.text));
    }
    if (others.empty()) return;
    TaskFinding(report, Severity::kNote, "task.other-actions", name,
                name.text + " also runs " + others +
                    ": the Task Scheduler runs a task's actions one after another, with its principal and within "
                    "its time limit; give them a task of their own unless they belong with the launcher");
}

}  // namespace

ReportedTask ReportedTaskOf(const TaskDefinition& definition, const std::string& path, const std::wstring& command,
                            bool runsThisLauncher)
{
    ReportedTask task;
    task.path = path;
    task.command = Utf8Of(command);
    task.runsThisLauncher = runsThisLauncher;
    task.enabled = definition.enabled;
    for (const TaskTrigger& trigger : definition.triggers) {
        if (!trigger.enabled || !IsStartTrigger(trigger)) continue;
        task.startTriggers.push_back(trigger.kind == TriggerKind::kBoot ? "boot" : "logon");
    }
    task.account = Utf8Of(!definition.userId.empty() ? definition.userId : definition.groupId);
    task.highestAvailable = definition.highestAvailable;
    return task;
}

void JudgeTaskSettings(const TaskDefinition& definition, const TaskName& name, const TaskSituation& situation,
                       CheckReport& report)
{
    JudgeStart(definition, name, situation, report);
    JudgeAccess(PrincipalOf(definition, situation.accounts), name, situation.batch, situation.services, report);
    JudgeBatteries(definition, name, report);
    JudgeConditions(definition, name, report);
    JudgeInstances(definition, name, report);
    JudgeTimeLimit(definition, name, situation.now, report);
    JudgeRepeats(definition, name, situation.now, report);
    JudgeCommandPath(definition, name, situation, report);
    JudgeOtherActions(definition, name, situation, report);
}

void JudgeRegisteredTasks(const std::vector<FoundTask>& tasks, const TaskSituation& situation,
                          const std::string& unread, CheckReport& report)
{
    const std::string launcher = Utf8Of(situation.launcher);
    std::vector<const FoundTask*> running;
    for (const FoundTask& task : tasks) {
        const std::wstring own = CommandRunning(task.definition, situation.launcher, CommandTarget::kThisLauncher);
        if (!own.empty()) {
            running.push_back(&task);
            report.Task(ReportedTaskOf(task.definition, task.path, own, true));
            continue;
        }
        const std::wstring copy = CommandRunning(task.definition, situation.launcher, CommandTarget::kAnotherCopy);
        if (copy.empty()) continue;
        report.Task(ReportedTaskOf(task.definition, task.path, copy, false));
        const TaskName name = RegisteredTaskName(task.path);
        TaskFinding(report, Severity::kNote, "task.other-launcher", name,
                    name.text + " runs another launcher, " + Utf8Of(CommandProgram(copy)) + ", not " + launcher);
    }
    if (running.empty()) {
        report.Warning("task.none", Utf8Text(launcher),
                       Utf8Text("no scheduled task runs " + launcher + (unread.empty() ? "" : " (" + unread + ")") +
                                ", so nothing starts it: register the package's task, schtasks /Create /TN zStartup "
                                "/XML \"" +
                                Utf8Of(FileBeside(situation.launcher, L"zStartup.task.xml")) + "\" /F"));
    } else if (running.size() > 1) {
        std::string names;
        for (const FoundTask* task : running) names += (names.empty() ? "" : ", ") + task->path;
        report.Warning("task.several", Utf8Text(launcher),
                       Utf8Text(std::to_string(running.size()) + " scheduled tasks run " + launcher + " (" + names +
                                "): the launcher runs more than once, stopping and starting the same services; delete "
                                "all but one"));
    }
    for (const FoundTask* task : running)
        JudgeTaskSettings(task->definition, RegisteredTaskName(task->path), situation, report);
}

void JudgeTaskFile(const TaskDefinition& definition, const std::string& file, const TaskSituation& situation,
                   CheckReport& report)
{
    const TaskName name = {file, "task definition " + file};
    const std::wstring own = CommandRunning(definition, situation.launcher, CommandTarget::kThisLauncher);
    const bool runs = !own.empty();
    report.Task(ReportedTaskOf(definition, file, ReportedCommand(definition, own), runs));
    if (!runs) {
        const std::string command = ExecCommands(definition).empty()
                                        ? "no program (no Exec action)"
                                        : Utf8Of(CommandProgram(ExecCommands(definition)[0]));
        TaskFinding(report, Severity::kError, "task.other-launcher", name,
                    name.text + " runs " + command + ", not " + Utf8Of(situation.launcher) +
                        ": set its Exec Command (and WorkingDirectory) to the launcher's path");
    }
    JudgeTaskSettings(definition, name, situation, report);
}
