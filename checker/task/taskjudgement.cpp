#include "checker/task/taskjudgement.h"

#include <windows.h>
#include <sddl.h>

#include "checker/launchertarget.h"
#include "helpers/paths.h"
#include "helpers/uniqueany.h"
#include "lowtracessupport/modulepath.h"
#include "runrules/runconstants.h"

namespace {

bool SameText(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

#ifndef _WIN64
// text with every occurrence of name (compared ignoring case, as variable names are) replaced.
std::wstring ReplacedIgnoringCase(std::wstring text, const std::wstring& name, const std::wstring& replacement)
{
    for (size_t at = 0; at + name.size() <= text.size();) {
        if (SameText(text.substr(at, name.size()), name)) {
            text.replace(at, name.size(), replacement);
            at += replacement.size();
        } else {
            ++at;
        }
    }
    return text;
}
#endif

// Under WOW64 a 32-bit process's %ProgramFiles% and %CommonProgramFiles% are the 32-bit folders;
// the Task Scheduler, a native process, expands them to the 64-bit ones, which ProgramW6432
// and CommonProgramW6432 name in every process.
std::wstring AsNativeVariables(const std::wstring& command)
{
#ifdef _WIN64
    return command;
#else
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return command;
    return ReplacedIgnoringCase(ReplacedIgnoringCase(command, L"%ProgramFiles%", L"%ProgramW6432%"),
                                L"%CommonProgramFiles%", L"%CommonProgramW6432%");
#endif
}

std::wstring Expanded(const std::wstring& text)
{
    wchar_t expanded[kWideCapacity];
    const DWORD length = ExpandEnvironmentStringsW(text.c_str(), expanded, kWideCapacity);
    return length == 0 || length > kWideCapacity ? text : std::wstring(expanded, length - 1);
}

// The program an Exec Command names: what lies between the double quote it begins with and the
// next, as Windows reads a quoted program (single quotes quote nothing there); else the whole
// text, since the action's arguments have an element of their own.
std::wstring ProgramOf(const std::wstring& command)
{
    if (command.empty() || command[0] != L'"') return command;
    const size_t end = command.find(L'"', 1);
    return command.substr(1, end == std::wstring::npos ? std::wstring::npos : end - 1);
}

std::wstring FullLongPath(const std::wstring& path)
{
    const std::wstring full = FullPathOf(path);
    wchar_t longer[kWideCapacity];
    const DWORD longLength = GetLongPathNameW(full.c_str(), longer, kWideCapacity);
    if (longLength == 0 || longLength >= kWideCapacity) return full;
    return std::wstring(longer, longLength);
}

std::wstring FileNameOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::string Ansi(const std::wstring& text) { return AnsiForDisplay(text); }

std::string Seconds(long long seconds)
{
    if (seconds % 60 == 0) return std::to_string(seconds / 60) + " min";
    return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s";
}

bool HasEnabled(const TaskDefinition& definition, TriggerKind kind)
{
    for (const TaskTrigger& trigger : definition.triggers) {
        if (trigger.kind == kind && trigger.enabled) return true;
    }
    return false;
}

std::string AccountOf(const TaskDefinition& definition)
{
    if (!definition.userId.empty()) return Ansi(definition.userId);
    if (!definition.groupId.empty()) return "group " + Ansi(definition.groupId);
    return "the account that registers it";
}

void JudgeStart(const TaskDefinition& definition, const std::string& name, const TaskSituation& situation,
                CheckReport& report)
{
    if (!definition.enabled) {
        report.Error("task.disabled", name,
                     name +
                         " is disabled (Settings/Enabled false): it never starts the launcher; enable it "
                         "(schtasks /Change /TN <name> /ENABLE)");
    }
    const bool boot = HasEnabled(definition, TriggerKind::kBoot);
    const bool logon = HasEnabled(definition, TriggerKind::kLogon);
    if (!boot && !logon) {
        report.Warning("task.no-start-trigger", name,
                       name +
                           " has no enabled boot or logon trigger: it starts the launcher only when run by hand "
                           "or by its other triggers; give it a BootTrigger (or a LogonTrigger)");
    } else if (boot && !logon && situation.fastStartupOn) {
        report.Warning("task.fast-startup", name,
                       name +
                           " starts the launcher only at boot, and Fast Startup is on (HiberbootEnabled 1): a "
                           "power-on after Shut down resumes the hibernated system session, the Task Scheduler "
                           "is not started again and the task does not run; add a logon trigger, turn Fast "
                           "Startup off, or restart instead of shutting down");
    }
}

void JudgeRights(const TaskDefinition& definition, const std::string& name, CheckReport& report)
{
    if (definition.highestAvailable || IsLocalSystem(definition.userId)) return;
    report.Error("task.not-elevated", name,
                 name + " runs as " + AccountOf(definition) +
                     " without highest privileges (RunLevel LeastPrivilege, the default): every service line will "
                     "be an error (access denied); run it as S-1-5-18 (LocalSystem) or with RunLevel "
                     "HighestAvailable");
}

void JudgeBatteries(const TaskDefinition& definition, const std::string& name, CheckReport& report)
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
    report.Warning("task.battery", name,
                   name + ": " + why +
                       "; a laptop or tablet on batteries is left with services half stopped or "
                       "never started: set both to false");
}

void JudgeInstances(const TaskDefinition& definition, const std::string& name, CheckReport& report)
{
    if (definition.instances == InstancesPolicy::kParallel) {
        report.Warning("task.instances", name,
                       name +
                           " lets runs overlap (MultipleInstancesPolicy Parallel): two launchers stop and start "
                           "the same services at once; set it to IgnoreNew");
    } else if (definition.instances == InstancesPolicy::kStopExisting) {
        report.Warning("task.instances", name,
                       name +
                           " ends a running launcher when it starts again (MultipleInstancesPolicy "
                           "StopExisting), which can leave a service stopped; set it to IgnoreNew");
    }
}

void JudgeTimeLimit(const TaskDefinition& definition, const std::string& name, CheckReport& report)
{
    const long long longest = LongestRunSeconds();
    if (definition.timeLimitSeconds == 0 || definition.timeLimitSeconds >= longest) return;
    report.Warning("task.time-limit", name,
                   name + " ends the launcher after " + Seconds(definition.timeLimitSeconds) +
                       " (ExecutionTimeLimit), less than its longest run, " + Seconds(longest) +
                       " (11 entries whose services are slow to stop and start, and a held log); set PT" +
                       std::to_string((longest + 59) / 60) + "M");
}

// The command that runs the launcher, else definition's first, else "": what a report names.
std::wstring ReportedCommand(const TaskDefinition& definition, const std::wstring& ownCommand)
{
    if (!ownCommand.empty() || definition.commands.empty()) return ownCommand;
    return definition.commands[0];
}

}  // namespace

ReportedTask ReportedTaskOf(const TaskDefinition& definition, const std::string& path, const std::wstring& command,
                            bool runsThisLauncher)
{
    ReportedTask task;
    task.path = path;
    task.command = Ansi(command);
    task.runsThisLauncher = runsThisLauncher;
    task.enabled = definition.enabled;
    for (const TaskTrigger& trigger : definition.triggers) {
        if (!trigger.enabled || trigger.kind == TriggerKind::kOther) continue;
        task.startTriggers.push_back(trigger.kind == TriggerKind::kBoot ? "boot" : "logon");
    }
    task.account = Ansi(!definition.userId.empty() ? definition.userId : definition.groupId);
    task.highestAvailable = definition.highestAvailable;
    return task;
}

std::wstring CommandProgram(const std::wstring& command)
{
    const std::wstring program = ProgramOf(Expanded(AsNativeVariables(command)));
    return program.empty() ? program : FullLongPath(program);
}

CommandTarget TargetOf(const std::wstring& program, const std::wstring& launcher)
{
    if (SameText(FullLongPath(launcher), program)) return CommandTarget::kThisLauncher;
    const std::wstring name = FileNameOf(program);
    if (SameText(name, FileNameOf(launcher)) || SameText(name, L"zStartup.exe")) return CommandTarget::kAnotherCopy;
    return CommandTarget::kOtherProgram;
}

std::wstring CommandRunning(const TaskDefinition& definition, const std::wstring& launcher, CommandTarget target)
{
    for (const std::wstring& command : definition.commands) {
        if (TargetOf(CommandProgram(command), launcher) == target) return command;
    }
    return std::wstring();
}

bool IsLocalSystem(const std::wstring& account)
{
    if (account.empty()) return false;
    UniqueLocal<PSID> converted;
    if (ConvertStringSidToSidW(account.c_str(), converted.Put()))
        return IsWellKnownSid(converted.Get(), WinLocalSystemSid) != FALSE;
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    wchar_t domain[256];
    DWORD domainSize = 256;
    SID_NAME_USE use;
    return LookupAccountNameW(NULL, account.c_str(), sid, &sidSize, domain, &domainSize, &use) &&
           IsWellKnownSid(sid, WinLocalSystemSid);
}

void JudgeTaskSettings(const TaskDefinition& definition, const std::string& name, const TaskSituation& situation,
                       CheckReport& report)
{
    JudgeStart(definition, name, situation, report);
    JudgeRights(definition, name, report);
    JudgeBatteries(definition, name, report);
    JudgeInstances(definition, name, report);
    JudgeTimeLimit(definition, name, report);
}

void JudgeRegisteredTasks(const std::vector<FoundTask>& tasks, const TaskSituation& situation,
                          const std::string& unread, CheckReport& report)
{
    const std::string launcher = Ansi(situation.launcher);
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
        report.Note(
            "task.other-launcher", "task " + task.path,
            "task " + task.path + " runs another launcher, " + Ansi(CommandProgram(copy)) + ", not " + launcher);
    }
    if (running.empty()) {
        report.Warning("task.none", launcher,
                       "no scheduled task runs " + launcher + (unread.empty() ? "" : " (" + unread + ")") +
                           ", so nothing starts it: register the package's task, schtasks /Create /TN zStartup "
                           "/XML \"" +
                           Ansi(FileBeside(situation.launcher, L"zStartup.task.xml")) + "\" /F");
    } else if (running.size() > 1) {
        std::string names;
        for (const FoundTask* task : running) names += (names.empty() ? "" : ", ") + task->path;
        report.Warning("task.several", launcher,
                       std::to_string(running.size()) + " scheduled tasks run " + launcher + " (" + names +
                           "): the launcher runs more than once, stopping and starting the same services; delete "
                           "all but one");
    }
    for (const FoundTask* task : running) JudgeTaskSettings(task->definition, "task " + task->path, situation, report);
}

void JudgeTaskFile(const TaskDefinition& definition, const std::string& file, const TaskSituation& situation,
                   CheckReport& report)
{
    const std::string name = "task definition " + file;
    const std::wstring own = CommandRunning(definition, situation.launcher, CommandTarget::kThisLauncher);
    const bool runs = !own.empty();
    report.Task(ReportedTaskOf(definition, file, ReportedCommand(definition, own), runs));
    if (!runs) {
        const std::string command =
            definition.commands.empty() ? "no program (no Exec action)" : Ansi(CommandProgram(definition.commands[0]));
        report.Error("task.other-launcher", name,
                     name + " runs " + command + ", not " + Ansi(situation.launcher) +
                         ": set its Exec Command (and WorkingDirectory) to the launcher's path");
    }
    JudgeTaskSettings(definition, name, situation, report);
}
