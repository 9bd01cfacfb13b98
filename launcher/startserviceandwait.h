// StartServiceAndWait: starts a service and waits until it reports running.
#ifndef ZSTARTUP_LAUNCHER_STARTSERVICEANDWAIT_H
#define ZSTARTUP_LAUNCHER_STARTSERVICEANDWAIT_H

#include <windows.h>

// Starts the service without arguments, then reads its state every 200 ms (the first time
// 200 ms after the request) until it is running or timeout ms (kNoTimeout: no limit) have
// passed since the manager answered. A service still finishing a stop (stop-pending: it has
// announced its stop but not yet reported it) is first waited for, polling every 50 ms, and
// then started: both phases share the one timeout.
//
// 0 when the last reading found it running (also on the pass that reached the timeout);
// 258 (WAIT_TIMEOUT) when it was still starting, or still stopping, at the timeout; otherwise
// the Win32 error of the manager, open, start request (a running service gives 1056 at once)
// or state query that failed, and 1062 (ERROR_SERVICE_NOT_ACTIVE) for a service found
// stopped again.
DWORD StartServiceAndWait(const char* serviceName, DWORD timeout);

#endif
