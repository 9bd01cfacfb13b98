// CheckServiceList: the service list as the launcher will read it, and what it will skip.
#ifndef ZSTARTUP_CHECKER_PLAN_LISTCHECK_H
#define ZSTARTUP_CHECKER_PLAN_LISTCHECK_H

#include <vector>

#include "checker/launchertarget.h"
#include "checker/report/checkreport.h"
#include "runrules/servicelistentry.h"

// Adds one plan line per entry and the findings about the list: a list out of reach or
// unreadable, a section Windows will not see, keys, sections and values never read as
// written. Returns the entries in the launcher's order, without the values that name no
// service because the ANSI code page cannot hold them.
std::vector<ServiceListEntry> CheckServiceList(const LauncherTarget& target, CheckReport& report);

#endif
