// Which program an Exec action's Command starts, as the Task Scheduler reads it, and whether it
// is the launcher checked.
#ifndef ZSTARTUP_CHECKER_TASK_TASKCOMMAND_H
#define ZSTARTUP_CHECKER_TASK_TASKCOMMAND_H

#include <string>

#include "checker/task/taskdefinition.h"

enum class CommandTarget { kThisLauncher, kAnotherCopy, kOtherProgram };

// The program an Exec command names, as the Task Scheduler starts it: environment variables
// expanded as a native process expands them (a 32-bit checker on 64-bit Windows reads
// %ProgramFiles% as %ProgramW6432%, the Task Scheduler's own value), the double quotes it begins
// with taken off (with anything after the closing one), a \\?\ or \\.\ prefix taken off (and
// \\?\UNC\ made \\), made a full path, short names made long where the file exists. A program
// that is no full path (IsRelativeProgram) is left as it is: the Task Scheduler finds it on its
// own search path, never in the checker's current folder.
std::wstring CommandProgram(const std::wstring& command);

// program names no drive or share root: "zStartup.exe", "bin\zStartup.exe", "\zStartup.exe",
// "C:zStartup.exe".
bool IsRelativeProgram(const std::wstring& program);

// kThisLauncher when program and launcher (full paths, prefixes taken off) name the same file,
// compared as Windows compares file names (ordinal, ignoring case); kAnotherCopy when only the
// file name is the launcher's, or zStartup.exe (so for a relative program, which is never known
// to be this launcher); else kOtherProgram.
CommandTarget TargetOf(const std::wstring& program, const std::wstring& launcher);

// The first Exec command of definition whose program (CommandProgram) is target for the
// launcher (TargetOf); "" when it has none.
std::wstring CommandRunning(const TaskDefinition& definition, const std::wstring& launcher, CommandTarget target);

#endif
