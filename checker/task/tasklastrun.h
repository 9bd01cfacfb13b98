// What the Task Scheduler knows of the launcher's last start, beside what its log says.
#ifndef ZSTARTUP_CHECKER_TASK_TASKLASTRUN_H
#define ZSTARTUP_CHECKER_TASK_TASKLASTRUN_H

#include <windows.h>

#include <string>
#include <vector>

#include "checker/report/checkreport.h"

struct TaskRun {
    std::string path;       // the task's, UTF-8: "\zStartup"
    bool runKnown = false;  // it has run, and when is known
    FILETIME run = {};      // its last start (UTC)
    bool resultKnown = false;
    LONG result = 0;  // its last result
};

// A start that writes no line before the log's last write still counts: the Task Scheduler
// keeps its times to the second, and a short run writes its last line within that second.
const ULONGLONG kTaskTimeSlack = 2ULL * 10000000;  // 2 s in FILETIME units

// For each task that runs the launcher: last-run.silent (error) when it started more than
// kTaskTimeSlack after logLastWrite (when logWritten), its message saying whether that start
// was since windowsStarted (when Windows last started, a Fast Startup power-on counting); and
// last-run.task-result (error) when its last result is neither 0 nor 3 (the launcher's own
// statuses: done, or ended by a failed allocation) nor one of the Task Scheduler's "running",
// "has not run" and "ready". Also sets the last run and result of the report's task of the
// same path.
void JudgeTaskRuns(const std::vector<TaskRun>& runs, bool logWritten, const FILETIME& logLastWrite,
                   const FILETIME& windowsStarted, CheckReport& report);

#endif
