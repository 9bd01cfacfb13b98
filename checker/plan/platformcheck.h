// CheckPlatform: what the account and the system running the check mean for the launcher.
#ifndef ZSTARTUP_CHECKER_PLAN_PLATFORMCHECK_H
#define ZSTARTUP_CHECKER_PLAN_PLATFORMCHECK_H

#include "checker/launchertarget.h"
#include "checker/report/checkreport.h"

// True when this process runs elevated (its token's TokenElevation); false when that cannot
// be read.
bool RunsElevated();

// A warning when this process is not elevated; a note when the launcher is a 32-bit program
// on 64-bit Windows.
void CheckPlatform(const LauncherTarget& target, CheckReport& report);

#endif
