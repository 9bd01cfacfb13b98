#include "launcher/stopserviceandwait.h"

#include "launcher/deadline.h"
#include "launcher/launcherconstants.h"
#include "launcher/waituntilstopped.h"
#include "runrules/servicehandles.h"
#include "runrules/stopevent.h"

namespace {

// After an accepted stop request: the service's own word when it has an event, the state
// when its event exists but cannot be waited on, nothing when it has none.
DWORD WaitForStop(SC_HANDLE service, const StopEvent& event, DWORD timeout)
{
    switch (event.State()) {
    case StopEventState::kOpened:
        return WaitForSingleObject(event.Handle(), timeout) == WAIT_OBJECT_0 ? 0 : kTimeoutResult;
    case StopEventState::kUnopenable:
        return WaitUntilStopped(service, Deadline(timeout));
    case StopEventState::kAbsent:
        break;
    }
    return 0;
}

}  // namespace

DWORD StopServiceAndWait(const char* serviceName, DWORD timeout)
{
    ServiceHandles handles;
    const DWORD error = handles.Open(serviceName, kStopAccess);
    if (error != 0) return error;

    // Opened before the stop request, while the service still holds it.
    const StopEvent event(handles.Manager(), serviceName);
    // The state the stop request reports is not examined: the event is the service's word.
    SERVICE_STATUS status;
    if (!ControlService(handles.Service(), SERVICE_CONTROL_STOP, &status)) return GetLastError();
    return WaitForStop(handles.Service(), event, timeout);
}
