// What a scheduled task's definition means for the launcher it should start: whether it runs
// this launcher, and whether it will start it, elevated, once, on batteries too, and for long
// enough. Decided on parsed definitions only, so that definitions Windows alone could register
// can be judged anywhere.
#ifndef ZSTARTUP_CHECKER_TASK_TASKJUDGEMENT_H
#define ZSTARTUP_CHECKER_TASK_TASKJUDGEMENT_H

#include <string>
#include <vector>

#include "checker/report/checkreport.h"
#include "checker/task/taskdefinition.h"

enum class CommandTarget { kThisLauncher, kAnotherCopy, kOtherProgram };

// The program an Exec command names, as the Task Scheduler starts it: environment variables
// expanded as a native process expands them (a 32-bit checker on 64-bit Windows reads
// %ProgramFiles% as %ProgramW6432%, the Task Scheduler's own value), the double quotes it begins
// with taken off (with anything after the closing one), made a full path, short names made long
// where the file exists.
std::wstring CommandProgram(const std::wstring& command);

// kThisLauncher when program and launcher (both full paths) name the same file, compared as
// Windows compares file names (ordinal, ignoring case); kAnotherCopy when only the file name is
// the launcher's, or zStartup.exe; else kOtherProgram.
CommandTarget TargetOf(const std::wstring& program, const std::wstring& launcher);

// The first Exec command of definition whose program (CommandProgram) is target for the
// launcher (TargetOf); "" when it has none.
std::wstring CommandRunning(const TaskDefinition& definition, const std::wstring& launcher, CommandTarget target);

// True when account (a SID string such as S-1-5-18, or an account name such as SYSTEM or
// NT AUTHORITY\SYSTEM, in the system's language) is LocalSystem.
bool IsLocalSystem(const std::wstring& account);

struct TaskSituation {
    std::wstring launcher;       // the full path of the launcher checked
    bool fastStartupOn = false;  // HiberbootEnabled is 1: Shut down hibernates the system session
};

// Findings about a definition that runs the launcher, named name in messages and as their
// subject ("task \zStartup"): task.disabled, task.no-start-trigger (no enabled boot or logon
// trigger), task.not-elevated (neither LocalSystem nor HighestAvailable), task.battery,
// task.instances (Parallel or StopExisting), task.time-limit (a limit under the longest run)
// and task.fast-startup (boot its only enabled start trigger while Fast Startup is on).
void JudgeTaskSettings(const TaskDefinition& definition, const std::string& name, const TaskSituation& situation,
                       CheckReport& report);

struct FoundTask {
    std::string path;  // in the Task Scheduler's folders: "\zStartup", "\Show\Opening"
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

// --task FILE: the definition in file as if it were registered: task.other-launcher as an
// error when no Exec action runs the launcher, then JudgeTaskSettings; the definition is added
// to the report's tasks.
void JudgeTaskFile(const TaskDefinition& definition, const std::string& file, const TaskSituation& situation,
                   CheckReport& report);

#endif
