// What a task's principal can see and do: the session it runs in, and the rights each listed
// service grants it.
#ifndef ZSTARTUP_CHECKER_TASK_TASKACCESS_H
#define ZSTARTUP_CHECKER_TASK_TASKACCESS_H

#include <string>
#include <vector>

#include "checker/report/checkreport.h"
#include "checker/task/servicerights.h"
#include "checker/task/taskprincipal.h"

// How findings name a task, in UTF-8: their subject is its bare path, as the report's tasks
// give it, so that a fleet tool can join the two; their messages say what it is.
struct TaskName {
    std::string path;  // "\\zStartup", or the definition file's full path
    std::string text;  // "task \\zStartup", "task definition C:\\Deploy\\zStartup.task.xml"
};

// A registered task's name: "task \\zStartup".
TaskName RegisteredTaskName(const std::string& path);

// A finding about the task named name: subject its path, message in UTF-8.
void TaskFinding(CheckReport& report, Severity severity, const char* code, const TaskName& name,
                 const std::string& message);

// Findings about principal, for the task named name, whose launcher has
// the batch file batch (ANSI, "" for none) and asks services of the service manager:
// - task.session-0 (a warning) when it runs in session 0 and there is a batch file;
// - unless it is elevated: task.service-rights for each service that does not grant its token
//   what the launcher asks (an error; a warning when it may be elevated after all), or whose
//   descriptor could not be read (an error), naming the service, the principal, the missing
//   rights and the sc sdset line that grants them; for a principal that is not known and not
//   elevated, task.not-elevated once instead. Nothing about rights when no service is listed.
void JudgeAccess(const TaskPrincipal& principal, const TaskName& name, const std::string& batch,
                 const std::vector<ServiceNeed>& services, CheckReport& report);

#endif
