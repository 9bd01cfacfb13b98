// QueryServiceState: a service's current state from the service manager's own record.
#ifndef ZSTARTUP_RUNRULES_SERVICESTATE_H
#define ZSTARTUP_RUNRULES_SERVICESTATE_H

#include <windows.h>

struct ServiceState {
    DWORD error;  // 0 when state is known, else the Win32 error of the query
    DWORD state;  // SERVICE_STOPPED ... SERVICE_PAUSED
};

// Needs SERVICE_QUERY_STATUS. Unlike the interrogate control it never asks the service
// itself, so it answers for a pending service and never waits on a hung control handler.
ServiceState QueryServiceState(SC_HANDLE service);

#endif
