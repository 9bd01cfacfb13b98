// StopServiceAndWait: sends a service the stop control and waits until it has finished.
#ifndef ZSTARTUP_LAUNCHER_STOPSERVICEANDWAIT_H
#define ZSTARTUP_LAUNCHER_STOPSERVICEANDWAIT_H

#include <windows.h>

// A stopping service announces that it has finished with its event "Global\<name>.Event" or,
// when no object has that name, "<name>.Event", <name> spelt as the service is registered (see
// StopEvent). When the event is the service's own (its owner the service's service SID or the
// account it is configured to run as) and not signalled before the request, waits up to timeout ms (kNoTimeout: no
// limit) for it to be signalled. Otherwise (no event, or one that is refused, already signalled, another account's or
// of an owner not proven the service's) reads the service's state at once and then every 50 ms until it is stopped,
// within the same timeout. The timeout starts when the stop request returns, which is when the service's control
// handler has (up to 30 s).
//
// 0 on success; 258 (WAIT_TIMEOUT) when the event was not signalled, or the service not
// stopped, in time, or the wait failed; otherwise the Win32 error of the manager, open, stop
// request or state query that failed.
DWORD StopServiceAndWait(const char* serviceName, DWORD timeout);

#endif
