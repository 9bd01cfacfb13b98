// CheckBatch and CheckLog: the batch file the launcher will open and the log it will write.
#ifndef ZSTARTUP_CHECKER_PLAN_FILECHECK_H
#define ZSTARTUP_CHECKER_PLAN_FILECHECK_H

#include "checker/launchertarget.h"
#include "checker/report/checkreport.h"

// The plan's last line when the batch file is there; a warning when it is missing or a folder.
void CheckBatch(const LauncherTarget& target, CheckReport& report);

// Where the log goes, and a warning when this account could not append to it: the log is a
// folder, another program holds it (sharing or lock violation), or another error. Creates and
// writes nothing: an existing log is opened for appending and closed unwritten, a missing
// one is tested by opening its folder with the right to add a file.
void CheckLog(const LauncherTarget& target, CheckReport& report);

#endif
