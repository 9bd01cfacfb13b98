// CheckServices: each service the list names, entry by entry, as the launcher will meet it.
#ifndef ZSTARTUP_CHECKER_PLAN_SERVICECHECK_H
#define ZSTARTUP_CHECKER_PLAN_SERVICECHECK_H

#include <vector>

#include "checker/report/checkreport.h"
#include "runrules/servicelistentry.h"

// Findings about the services of entries: not installed (a display name says which service
// name to write), not to be opened with the launcher's rights, disabled for a start, already
// running for a start or not running for a stop (counting what earlier entries change),
// dependents running for a stop, and the stop event. Sends no control.
void CheckServices(const std::vector<ServiceListEntry>& entries, CheckReport& report);

#endif
