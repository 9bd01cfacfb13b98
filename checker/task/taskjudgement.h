// What a scheduled task's definition means for the launcher it should start: whether it runs
// this launcher, and whether it will start it, elevated, once, on batteries too, and for long
// enough. Decided on parsed definitions only, so that definitions Windows alone could register
// can be judged anywhere.
#ifndef ZSTARTUP_CHECKER_TASK_TASKJUDGEMENT_H
#define ZSTARTUP_CHECKER_TASK_TASKJUDGEMENT_H

#include <string>
#include <vector>

#include "checker/report/checkreport.h"
#include "checker/task/servicerights.h"
#include "checker/task/taskaccess.h"
#include "checker/task/taskcommand.h"
#include "checker/task/taskdefinition.h"
#include "checker/task/taskprincipal.h"

struct TaskSituation {
    std::wstring launcher;              // the full path of the launcher checked
    bool fastStartupOn = false;         // HiberbootEnabled is 1: Shut down hibernates the system session
    FILETIME now = {};                  // UTC, which the triggers' boundaries are compared with
    std::string batch;                  // the launcher's batch file (ANSI), "" when there is none
    std::vector<ServiceNeed> services;  // what the launcher's list asks of each service
    AccountFacts accounts;
};

// Findings about a definition that runs the launcher, named name. A start trigger is an enabled
// boot or logon trigger whose StartBoundary has come and whose EndBoundary has not.
// task.disabled; task.no-start-trigger (none) and task.fast-startup (boot the only one while
// Fast Startup is on); task.session-0 (a principal in session 0 and a batch file); for a
// principal that is not elevated (PrincipalOf), task.service-rights for each listed service that
// does not grant it what the launcher asks (an error; a warning when the principal may be
// elevated after all), or whose descriptor cannot be read, and task.not-elevated when the
// principal is not known; task.battery; task.conditions (RunOnlyIfNetworkAvailable or
// RunOnlyIfIdle); task.instances (Parallel or StopExisting); task.time-limit (Settings' or a
// start trigger's limit under the longest run); task.repeats (a Repetition on a start trigger,
// or a trigger that fires again beside them); task.command-relative (the command that runs it,
// or the first, is no full path); task.other-actions (a note naming the actions besides the
// launcher).
void JudgeTaskSettings(const TaskDefinition& definition, const TaskName& name, const TaskSituation& situation,
                       CheckReport& report);

struct FoundTask {
    std::string path;  // in the Task Scheduler's folders, UTF-8: "\zStartup", "\Show\Opening"
    TaskDefinition definition;
};

// The report's record of a task whose definition is definition and whose Exec command (the one
// that runs the launcher, or another copy of it, or its first) is command.
ReportedTask ReportedTaskOf(const TaskDefinition& definition, const std::string& path, const std::wstring& command,
                            bool runsThisLauncher);

// Plan mode, over the registered tasks: task.none (warning) when none runs the launcher, with
// unread (what could not be read, "" when everything was) in its message; task.several when
// more than one does; a task.other-launcher note per task that runs another copy; and
// JudgeTaskSettings for each task that runs it. Every task running the launcher or a copy is
// added to the report's tasks.
void JudgeRegisteredTasks(const std::vector<FoundTask>& tasks, const TaskSituation& situation,
                          const std::string& unread, CheckReport& report);

// --task FILE: the definition in file (its full path, UTF-8) as if it were registered:
// task.other-launcher as an error when no Exec action runs the launcher, then JudgeTaskSettings;
// the definition is added to the report's tasks.
void JudgeTaskFile(const TaskDefinition& definition, const std::string& file, const TaskSituation& situation,
                   CheckReport& report);

#endif
