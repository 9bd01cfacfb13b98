// StartServiceAndWait: starts a service and waits until it reports running.
#ifndef ZSTARTUP_LAUNCHER_STARTSERVICEANDWAIT_H
#define ZSTARTUP_LAUNCHER_STARTSERVICEANDWAIT_H

#include <windows.h>

// Starts the service without arguments, then interrogates it every 200 ms (the first time
// 200 ms after the request) until it is running or timeout ms (kNoTimeout: no limit) have
// passed. A service still starting counts as "not running yet", even though Windows refuses
// to interrogate it then. A service still finishing a stop (stop-pending: it has announced
// its stop but not yet reported it) is first waited for, within the same timeout, and then
// started.
//
// 0 when the last interrogation found it running (also on the pass that reached the timeout);
// 258 (WAIT_TIMEOUT) when it was still starting at the timeout; otherwise the Win32 error of
// the manager, open or start request (a running service gives 1056 at once) or of the
// interrogation that failed (a service that stopped again gives 1062).
DWORD StartServiceAndWait(const char* serviceName, DWORD timeout);

#endif
