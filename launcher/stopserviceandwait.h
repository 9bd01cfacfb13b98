// StopServiceAndWait: sends a service the stop control and waits until it has finished.
#ifndef ZSTARTUP_LAUNCHER_STOPSERVICEANDWAIT_H
#define ZSTARTUP_LAUNCHER_STOPSERVICEANDWAIT_H

#include <windows.h>

// A stopping service announces that it has finished with its event "Global\<name>.Event" or,
// when no object has that name, "<name>.Event", <name> spelt as the service is registered (see
// StopEvent). When the event is the service's own (its owner an account the service can run
// as) and not signalled before the request, waits up to timeout ms (kNoTimeout: no limit) for
// it to be signalled. When the name exists but the event is refused, already signalled,
// another account's or of unknown owner, polls the service's state every 50 ms until it is
// stopped, within the same timeout. When there is no event, the service counts as stopped as
// soon as it accepts the stop control.
//
// 0 on success; 258 (WAIT_TIMEOUT) when the event was not signalled, or the service not
// stopped, in time, or the wait failed; otherwise the Win32 error of the manager, open, stop
// request or state query that failed.
DWORD StopServiceAndWait(const char* serviceName, DWORD timeout);

#endif
