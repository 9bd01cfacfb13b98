// WaitUntilStopped: the launcher's own wait for a service to finish stopping.
#ifndef ZSTARTUP_LAUNCHER_WAITUNTILSTOPPED_H
#define ZSTARTUP_LAUNCHER_WAITUNTILSTOPPED_H

#include <windows.h>

#include "launcher/deadline.h"

// Reads the service's state at once and then every 50 ms until it is stopped: 0 then; 258
// (WAIT_TIMEOUT) once the deadline has passed; the query's error if a query fails. The short
// poll keeps a restart from costing more than the service itself takes.
DWORD WaitUntilStopped(SC_HANDLE service, const Deadline& deadline);

#endif
