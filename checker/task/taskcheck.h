// CheckTasks, CheckTaskFile and CheckTaskLastRun: the scheduled tasks that start the launcher,
// for each mode of the check. Each needs a COM apartment on this thread (EnterComApartment).
#ifndef ZSTARTUP_CHECKER_TASK_TASKCHECK_H
#define ZSTARTUP_CHECKER_TASK_TASKCHECK_H

#include <windows.h>

#include <string>
#include <vector>

#include "checker/launchertarget.h"
#include "checker/report/checkreport.h"
#include "runrules/servicelistentry.h"

// Plan mode: reads every registered task (all folders, hidden ones too) and adds the findings
// of JudgeRegisteredTasks for the launcher, whose list holds entries (what each task's
// principal must be allowed to do with their services). A Task Scheduler that cannot be asked,
// or tasks and folders that cannot be read, are named in task.none's message. Changes nothing.
void CheckTasks(const LauncherTarget& target, const std::vector<ServiceListEntry>& entries, CheckReport& report);

// --task FILE: judges the definition in file (a path, relative to the current folder) as if
// it were the launcher's registered task. False, with why set (UTF-8), when the file cannot be read or
// is no task definition; the report is then left unchanged.
bool CheckTaskFile(const LauncherTarget& target, const std::vector<ServiceListEntry>& entries, const wchar_t* file,
                   CheckReport& report, std::string& why);

// --last-run: the last start and result of each registered task that runs the launcher,
// judged against the last write of the log the launcher writes and windowsStarted (when
// Windows last started, UTC), as JudgeTaskRuns does; the tasks go into the report's tasks.
// When the Task Scheduler cannot be asked, or does not know the times (Wine), no finding is
// added.
void CheckTaskLastRun(const LauncherTarget& target, const FILETIME& windowsStarted, CheckReport& report);

// Fast Startup: HiberbootEnabled (under HKLM\SYSTEM\CurrentControlSet\Control\Session
// Manager\Power) is 1. False when it is 0 or cannot be read.
bool FastStartupOn();

#endif
