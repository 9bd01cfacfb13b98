#include "launcher/startserviceandwait.h"

#include "launcher/deadline.h"
#include "runrules/runconstants.h"
#include "launcher/waituntilstopped.h"
#include "runrules/servicehandles.h"
#include "runrules/servicestate.h"

namespace {

// A service found stopped after its start was accepted has ended again and will not come up:
// no need to wait out the timeout for it.
DWORD Outcome(const ServiceState& last)
{
    if (last.error != 0) return last.error;
    if (last.state == SERVICE_RUNNING) return 0;
    return last.state == SERVICE_STOPPED ? ERROR_SERVICE_NOT_ACTIVE : kTimeoutResult;
}

DWORD WaitUntilRunning(SC_HANDLE service, const Deadline& deadline)
{
    for (;;) {
        Sleep(kPollInterval);
        const ServiceState current = QueryServiceState(service);
        const bool settled = current.error != 0 || current.state == SERVICE_RUNNING || current.state == SERVICE_STOPPED;
        if (settled || deadline.Passed()) return Outcome(current);
    }
}

// Whether a refusal as "already running" may only be the service's last run still ending.
bool StillEnding(SC_HANDLE service)
{
    const ServiceState current = QueryServiceState(service);
    return current.error == 0 && (current.state == SERVICE_STOP_PENDING || current.state == SERVICE_STOPPED);
}

// A service stopped by the same list entry signals its stop event before it reports stopped,
// and its process ends after that; a start request in between is refused as "already running"
// (Wine refuses it until the process has ended, even once the state reads stopped). Such a
// service is waited for and started again, within the deadline; a service running or starting
// keeps the refusal.
DWORD StartAfterStopping(SC_HANDLE service, DWORD refusal, const Deadline& deadline)
{
    DWORD error = refusal;
    while (error == ERROR_SERVICE_ALREADY_RUNNING && StillEnding(service)) {
        const DWORD stopped = WaitUntilStopped(service, deadline);
        if (stopped != 0) return stopped;
        error = StartServiceA(service, 0, NULL) ? 0 : GetLastError();
        if (error != ERROR_SERVICE_ALREADY_RUNNING || deadline.Passed()) break;
        Sleep(kStoppingPollInterval);
    }
    return error;
}

}  // namespace

DWORD StartServiceAndWait(const char* serviceName, DWORD timeout)
{
    ServiceHandles handles;
    const DWORD error = handles.Open(serviceName, kStartAccess);
    if (error != 0) return error;
    const BOOL started = StartServiceA(handles.Service(), 0, NULL);
    const DWORD refusal = started ? 0 : GetLastError();
    // The launcher's own wait begins when the manager has answered: the request itself may
    // take the manager's pipe timeout for a service whose process hangs before it connects.
    const Deadline deadline(timeout);
    if (!started) {
        const DWORD restartError = StartAfterStopping(handles.Service(), refusal, deadline);
        if (restartError != 0) return restartError;
    }
    return WaitUntilRunning(handles.Service(), deadline);
}
