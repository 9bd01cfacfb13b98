#include "launcher/stopserviceandwait.h"

#include "launcher/deadline.h"
#include "runrules/runconstants.h"
#include "launcher/waituntilstopped.h"
#include "runrules/servicehandles.h"
#include "runrules/stopevent.h"

namespace {

// After an accepted stop request: the service's own word when it has an event that can still
// give it, and the state in every other case. Accepting the request only means the service
// has begun to stop; a name that exists but is refused, signalled already, or another
// account's, proves nothing.
DWORD WaitForStop(SC_HANDLE service, const StopEvent& event, DWORD timeout)
{
    switch (event.State()) {
    case StopEventState::kWaitable:
        return WaitForSingleObject(event.Handle(), timeout) == WAIT_OBJECT_0 ? 0 : kTimeoutResult;
    case StopEventState::kAbsent:
    case StopEventState::kRefused:
    case StopEventState::kSignalled:
    case StopEventState::kForeignOwner:
    case StopEventState::kOwnerUnproven:
    case StopEventState::kOwnerUnknown:
        break;
    }
    return WaitUntilStopped(service, Deadline(timeout));
}

}  // namespace

DWORD StopServiceAndWait(const char* serviceName, DWORD timeout)
{
    ServiceHandles handles;
    const DWORD error = handles.Open(serviceName, kStopAccess);
    if (error != 0) return error;

    // Opened, and looked at, before the stop request, while the service still holds it.
    const StopEvent event(handles.Manager(), serviceName);
    // The state the stop request reports is not examined: the event is the service's word.
    SERVICE_STATUS status;
    if (!ControlService(handles.Service(), SERVICE_CONTROL_STOP, &status)) return GetLastError();
    return WaitForStop(handles.Service(), event, timeout);
}
