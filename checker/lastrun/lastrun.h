// CheckLastRun: what the launcher's last start did, from its trace log.
#ifndef ZSTARTUP_CHECKER_LASTRUN_LASTRUN_H
#define ZSTARTUP_CHECKER_LASTRUN_LASTRUN_H

#include <windows.h>

#include "checker/launchertarget.h"
#include "checker/report/checkreport.h"

// The times the log's last write is judged by (UTC).
struct LastRunTimes {
    FILETIME windowsStarted;  // WindowsStarted
    FILETIME checkedAt;       // now, as the report gives it
};

// Adds the last run's lines (from the last "[zStartup] started" to the end of the log the
// launcher writes) and one finding per problem in them: each error line (a service once, however
// often it failed), each warning line, a batch file missing or not opened, a run that did not
// finish (lines after the last "stopped" included), no run at all, a log last written more than
// two minutes after checkedAt (the clock set back) or else before windowsStarted. A launcher that
// logs to default_LT.log in its own current folder gives log.default-path, and no file is read.
// Changes nothing.
void CheckLastRun(const LauncherTarget& target, const LastRunTimes& times, CheckReport& report);

#endif
