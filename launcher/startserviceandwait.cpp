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

}  // namespace

DWORD StartServiceAndWait(const char* serviceName, DWORD timeout)
{
    ServiceHandles handles;
    const DWORD error = handles.Open(serviceName, SERVICE_START | SERVICE_INTERROGATE);
    if (error != 0) return error;
    if (!StartServiceA(handles.Service(), 0, NULL)) return GetLastError();
    return WaitUntilRunning(handles.Service(), timeout);
}
