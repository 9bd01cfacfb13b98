// CheckLastRun: what the launcher's last start did, from its trace log.
#ifndef ZSTARTUP_CHECKER_LASTRUN_LASTRUN_H
#define ZSTARTUP_CHECKER_LASTRUN_LASTRUN_H

#include <windows.h>

#include "checker/launchertarget.h"
#include "checker/report/checkreport.h"

// Adds the last run's lines (from the last "[zStartup] started" to the end of the log the
// launcher writes) and one finding per problem in them: each error line (a service once, however
// often it failed), each warning line, a batch file missing or not opened, a run that did not
// finish, no run at all, a log last written before windowsStarted (WindowsStarted, UTC).
// Changes nothing.
void CheckLastRun(const LauncherTarget& target, const FILETIME& windowsStarted, CheckReport& report);

#endif
