// What a task's principal can see and do: the session it runs in, and the rights each listed
// service grants it.
#ifndef ZSTARTUP_CHECKER_TASK_TASKACCESS_H
#define ZSTARTUP_CHECKER_TASK_TASKACCESS_H

#include <string>
#include <vector>

#include "checker/report/checkreport.h"
#include "checker/task/servicerights.h"
#include "checker/task/taskprincipal.h"

// Findings about principal, for the task named name (subject and message), whose launcher has
// the batch file batch ("" for none) and asks services of the service manager:
// - task.session-0 (a warning) when it runs in session 0 and there is a batch file;
// - unless it is elevated: task.service-rights for each service that does not grant its token
//   what the launcher asks (an error; a warning when it may be elevated after all), or whose
//   descriptor could not be read (an error), naming the service, the principal, the missing
//   rights and the sc sdset line that grants them; for a principal that is not known and not
//   elevated, task.not-elevated once instead. Nothing about rights when no service is listed.
void JudgeAccess(const TaskPrincipal& principal, const std::string& name, const std::string& batch,
                 const std::vector<ServiceNeed>& services, CheckReport& report);

#endif
