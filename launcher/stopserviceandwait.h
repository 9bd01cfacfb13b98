// StopServiceAndWait: sends a service the stop control and waits for its stop event.
#ifndef ZSTARTUP_LAUNCHER_STOPSERVICEANDWAIT_H
#define ZSTARTUP_LAUNCHER_STOPSERVICEANDWAIT_H

#include <windows.h>

// A stopping service announces that it has finished with its event "<name>.Event" (looked up
// as "Global\<name>.Event" too, where a service in another session creates it). When the
// event exists, waits up to timeout ms (kNoTimeout: no limit) for it to be signalled; when it
// does not, the service counts as stopped as soon as it accepts the stop control.
//
// 0 on success; 258 (WAIT_TIMEOUT) when the event was not signalled in time or the wait
// failed; otherwise the Win32 error of the manager, open or stop request that failed.
DWORD StopServiceAndWait(const char* serviceName, DWORD timeout);

#endif
