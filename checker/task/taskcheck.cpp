#include "checker/task/taskcheck.h"

#include <vector>

#include "checker/plan/servicefacts.h"
#include "checker/task/comobjects.h"
#include "checker/task/registeredtasks.h"
#include "helpers/text.h"
#include "checker/task/tasklastrun.h"
#include "checker/task/taskjudgement.h"
#include "runrules/servicehandles.h"
#include "runrules/servicename.h"

namespace {

// What could not be read, for task.none's message: "" when everything could.
std::string Unread(const RegisteredTasks& registered, unsigned unparsedTasks)
{
    if (FAILED(registered.error))
        return "the Task Scheduler could not be asked, error " + HexText(registered.error) +
               ": is its service running?";
    std::string unread;
    if (registered.unreadFolders > 0) {
        unread = "the Task Scheduler did not list the tasks of " + std::to_string(registered.unreadFolders) +
                 (registered.unreadFolders == 1 ? " folder" : " folders") + ", error " + HexText(registered.listError);
        if (registered.listError == E_ACCESSDENIED) unread += ": run this check elevated";
    }
    if (unparsedTasks > 0)
        unread +=
            (unread.empty() ? "" : "; ") + std::to_string(unparsedTasks) + " tasks' definitions could not be read";
    return unread;
}

// Adds rights to what the launcher asks of the service name, once per service however the
// list spells it. A value too long for a name acts on no service.
void Need(std::vector<ServiceNeed>& needs, const char* name, bool tooLong, DWORD rights)
{
    if (name[0] == '\0' || tooLong) return;
    for (ServiceNeed& need : needs) {
        if (SameServiceName(need.name.c_str(), name)) {
            need.rights |= rights;
            return;
        }
    }
    ServiceNeed need;
    need.name = name;
    need.rights = rights;
    needs.push_back(need);
}

// The services of entries with their descriptors; those not installed are left out, as the
// service findings name them.
std::vector<ServiceNeed> ServiceNeeds(const std::vector<ServiceListEntry>& entries)
{
    std::vector<ServiceNeed> needs;
    for (const ServiceListEntry& entry : entries) {
        Need(needs, entry.stopName, entry.stopTooLong, kStopAccess);
        Need(needs, entry.startName, entry.startTooLong, kStartAccess);
    }
    std::vector<ServiceNeed> installed;
    for (ServiceNeed& need : needs) {
        need.readError = ReadServiceDescriptor(need.name.c_str(), need.descriptor);
        if (need.readError != ERROR_SERVICE_DOES_NOT_EXIST) installed.push_back(std::move(need));
    }
    return installed;
}

// The batch file the launcher opens, when it is a file.
std::string BatchOf(const LauncherTarget& target)
{
    const DWORD attributes = GetFileAttributesW(target.paths.wideBatch);
    if (target.paths.batchTooLong || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::string();
    return target.paths.batch;
}

TaskSituation SituationOf(const LauncherTarget& target, const std::vector<ServiceListEntry>& entries)
{
    TaskSituation situation;
    situation.launcher = target.widePath;
    situation.fastStartupOn = FastStartupOn();
    GetSystemTimeAsFileTime(&situation.now);
    situation.batch = BatchOf(target);
    situation.services = ServiceNeeds(entries);
    situation.accounts = ReadAccountFacts();
    return situation;
}

}  // namespace

bool FastStartupOn()
{
    DWORD value = 0;
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power",
                        L"HiberbootEnabled", RRF_RT_REG_DWORD, NULL, &value, &size) == ERROR_SUCCESS &&
           value == 1;
}

void CheckTasks(const LauncherTarget& target, const std::vector<ServiceListEntry>& entries, CheckReport& report)
{
    const RegisteredTasks registered = ReadRegisteredTasks();
    std::vector<FoundTask> found;
    unsigned unparsed = 0;
    for (const RegisteredTask& task : registered.tasks) {
        FoundTask parsed;
        parsed.path = task.path;
        std::string why;
        if (!ParseTaskDefinition(task.xml, parsed.definition, why)) {
            ++unparsed;
            continue;
        }
        parsed.definition.enabled = parsed.definition.enabled && task.enabled;
        found.push_back(parsed);
    }
    JudgeRegisteredTasks(found, SituationOf(target, entries), Unread(registered, unparsed), report);
}

bool CheckTaskFile(const LauncherTarget& target, const std::vector<ServiceListEntry>& entries, const wchar_t* file,
                   CheckReport& report, std::string& why)
{
    const std::wstring path = FullPathOf(file);
    TaskDefinition definition;
    if (!ReadTaskDefinitionFile(path, definition, why)) {
        why = "task definition " + Utf8Of(path) + " " + why;
        return false;
    }
    JudgeTaskFile(definition, Utf8Of(path), SituationOf(target, entries), report);
    return true;
}

void CheckTaskLastRun(const LauncherTarget& target, const FILETIME& windowsStarted, CheckReport& report)
{
    const RegisteredTasks registered = ReadRegisteredTasks();
    if (FAILED(registered.error)) return;
    std::vector<TaskRun> runs;
    for (const RegisteredTask& task : registered.tasks) {
        TaskDefinition definition;
        std::string why;
        if (!ParseTaskDefinition(task.xml, definition, why)) continue;
        const std::wstring command = CommandRunning(definition, target.widePath, CommandTarget::kThisLauncher);
        if (command.empty()) continue;
        definition.enabled = definition.enabled && task.enabled;
        report.Task(ReportedTaskOf(definition, task.path, command, true));
        TaskRun run;
        run.path = task.path;
        run.runKnown = task.lastRunKnown;
        run.run = task.lastRun;
        run.resultKnown = task.lastResultKnown;
        run.result = task.lastResult;
        runs.push_back(run);
    }
    // The log as the launcher names it; a default_LT.log in this check's folder need not be its.
    WIN32_FILE_ATTRIBUTE_DATA log = {};
    const bool logWritten =
        !LogsInItsCurrentFolder(target) && GetFileAttributesExA(target.logPath, GetFileExInfoStandard, &log) != FALSE;
    JudgeTaskRuns(runs, logWritten, log.ftLastWriteTime, windowsStarted, report);
}
