// ReadRegisteredTasks: every task the Task Scheduler holds, through its 2.0 COM interface.
#ifndef ZSTARTUP_CHECKER_TASK_REGISTEREDTASKS_H
#define ZSTARTUP_CHECKER_TASK_REGISTEREDTASKS_H

#include <windows.h>

#include <string>
#include <vector>

struct RegisteredTask {
    std::string path;           // UTF-8: "\zStartup", "\Show\Opening"
    std::wstring xml;           // its definition, as the Task Scheduler gives it
    bool enabled = true;        // IRegisteredTask's Enabled; true when it cannot be read
    bool lastRunKnown = false;  // LastRunTime answered with a time (not "has not run", not a failure)
    FILETIME lastRun = {};      // UTC, when lastRunKnown
    bool lastResultKnown = false;
    LONG lastResult = 0;  // LastTaskResult: the program's exit status, or an SCHED_ or HRESULT code
};

struct RegisteredTasks {
    HRESULT error = S_OK;  // S_OK, or why the Task Scheduler or its root folder could not be reached
    std::vector<RegisteredTask> tasks;
    unsigned unreadFolders = 0;  // folders whose tasks or subfolders could not be listed
    HRESULT listError = S_OK;    // the first such listing's error (S_OK when none failed)
};

// Connects to the local Task Scheduler and lists every folder from "\" down, hidden tasks
// included (at most kMaxTaskFolderDepth levels). Needs a COM apartment on this thread
// (EnterComApartment). Reads only.
RegisteredTasks ReadRegisteredTasks();

const int kMaxTaskFolderDepth = 32;

#endif
