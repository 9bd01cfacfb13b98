#include "launcher/startserviceandwait.h"

#include "launcher/launcherconstants.h"
#include "launcher/millisecondclock.h"
#include "launcher/servicehandles.h"

namespace {

struct Poll {
    DWORD error;  // 0 when the state is known
    DWORD state;
};

Poll Interrogate(SC_HANDLE service)
{
    SERVICE_STATUS status = {};
    if (ControlService(service, SERVICE_CONTROL_INTERROGATE, &status)) return {0, status.dwCurrentState};
    const DWORD error = GetLastError();
    // A starting service cannot accept controls yet, but its state is filled in all the same.
    if (error == ERROR_SERVICE_CANNOT_ACCEPT_CTRL && status.dwCurrentState == SERVICE_START_PENDING) {
        return {0, SERVICE_START_PENDING};
    }
    return {error, status.dwCurrentState};
}

DWORD Outcome(const Poll& poll)
{
    if (poll.error != 0) return poll.error;
    return poll.state == SERVICE_RUNNING ? 0 : kTimeoutResult;
}

DWORD WaitUntilRunning(SC_HANDLE service, DWORD timeout)
{
    const MillisecondClock clock;
    const DWORD start = clock.Now();
    for (;;) {
        Sleep(kPollInterval);
        const Poll poll = Interrogate(service);
        // Unsigned difference: correct across the clock's wrap at 2^32.
        const bool timedOut = timeout != kNoTimeout && clock.Now() - start >= timeout;
        if (timedOut || poll.error != 0 || poll.state == SERVICE_RUNNING) return Outcome(poll);
    }
}

// A service stopped by the same list entry signals its stop event just before it reports
// stopped; a start request in between is refused as "already running". True once such a
// service has stopped, within the timeout; false at once for a service in any other state.
bool WaitWhileStopping(SC_HANDLE service, DWORD timeout)
{
    const MillisecondClock clock;
    const DWORD start = clock.Now();
    for (;;) {
        const Poll poll = Interrogate(service);
        if (poll.state == SERVICE_STOPPED) return true;
        if (poll.state != SERVICE_STOP_PENDING) return false;
        if (timeout != kNoTimeout && clock.Now() - start >= timeout) return false;
        Sleep(kPollInterval);
    }
}

DWORD RequestStart(SC_HANDLE service, DWORD timeout)
{
    if (StartServiceA(service, 0, NULL)) return 0;
    const DWORD error = GetLastError();
    if (error != ERROR_SERVICE_ALREADY_RUNNING || !WaitWhileStopping(service, timeout)) return error;
    return StartServiceA(service, 0, NULL) ? 0 : GetLastError();
}

}  // namespace

DWORD StartServiceAndWait(const char* serviceName, DWORD timeout)
{
    ServiceHandles handles;
    const DWORD error = handles.Open(serviceName, SERVICE_START | SERVICE_INTERROGATE);
    if (error != 0) return error;
    const DWORD startError = RequestStart(handles.Service(), timeout);
    if (startError != 0) return startError;
    return WaitUntilRunning(handles.Service(), timeout);
}
