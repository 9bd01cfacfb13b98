#include "checker/task/tasklastrun.h"

#include <taskschd.h>

#include "checker/lastrun/windowsstart.h"
#include "checker/report/isotime.h"
#include "checker/task/comobjects.h"
#include "checker/task/taskaccess.h"
#include "helpers/text.h"

namespace {

const LONG kAlreadyRunning = static_cast<LONG>(0x8004131F);  // SCHED_E_ALREADY_RUNNING, which MinGW lacks

bool IsLaunchersOwn(LONG result)
{
    return result == 0 || result == 3 || result == SCHED_S_TASK_RUNNING || result == SCHED_S_TASK_HAS_NOT_RUN ||
           result == SCHED_S_TASK_READY;
}

// What Windows says a result means: its own text for system errors and HRESULTs, a few of the
// Task Scheduler's codes (whose texts are in taskschd.dll, not the system's table) named here.
std::string Meaning(LONG result)
{
    if (result == SCHED_S_TASK_TERMINATED) return "the run was ended, by hand or by its time limit";
    if (result == kAlreadyRunning) return "an instance was already running";
    if (result == SCHED_S_TASK_DISABLED) return "the task is disabled";
    char text[512];
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                                        static_cast<DWORD>(result), 0, text, sizeof text, NULL);
    std::string meaning(text, length);
    while (!meaning.empty() &&
           (meaning.back() == '\n' || meaning.back() == '\r' || meaning.back() == '.' || meaning.back() == ' '))
        meaning.pop_back();
    return meaning.empty() ? "the launcher's exit status, or a code of the Task Scheduler's" : Utf8OfAnsi(meaning);
}

void JudgeRun(const TaskRun& run, bool logWritten, const FILETIME& logLastWrite, const FILETIME& windowsStarted,
              CheckReport& report)
{
    const TaskName name = RegisteredTaskName(run.path);
    if (run.runKnown && logWritten && Ticks(run.run) > Ticks(logLastWrite) + kTaskTimeSlack) {
        const bool sinceStart = Ticks(run.run) >= Ticks(windowsStarted);
        TaskFinding(report, Severity::kError, "last-run.silent", name,
                    name.text + " last started the launcher at " + TimeText(run.run) +
                        (sinceStart ? ", since Windows last started"
                                    : ", before Windows last started (at " + TimeText(windowsStarted) + ")") +
                        ", after its log was last written (" + TimeText(logLastWrite) +
                        "): that start wrote no line (the log was held for the whole run, or the launcher could "
                        "not start); see the task's history");
    }
    if (run.resultKnown && !IsLaunchersOwn(run.result)) {
        TaskFinding(report, Severity::kError, "last-run.task-result", name,
                    name.text + "'s last run ended with " + HexText(run.result) + " (" + Meaning(run.result) +
                        "): the Task Scheduler could not start the launcher, or ended it; check the task's "
                        "command, account and conditions");
    }
}

}  // namespace

void JudgeTaskRuns(const std::vector<TaskRun>& runs, bool logWritten, const FILETIME& logLastWrite,
                   const FILETIME& windowsStarted, CheckReport& report)
{
    for (const TaskRun& run : runs) {
        for (ReportedTask& task : report.Tasks()) {
            if (task.path != run.path) continue;
            task.lastRunKnown = run.runKnown;
            task.lastRun = run.run;
            task.lastResultKnown = run.resultKnown;
            task.lastResult = run.result;
        }
        JudgeRun(run, logWritten, logLastWrite, windowsStarted, report);
    }
}
