#include "launcher/stopserviceandwait.h"

#include "launcher/launcherconstants.h"
#include "launcher/servicehandles.h"

// The service's stop event, or null when it has none (or the name would not fit). A service
// in session 0 creates a plain name in the global namespace, which a launcher in a user's
// session reaches only through the Global\ prefix.
static HANDLE OpenStopEvent(const char* serviceName)
{
    static const char kGlobalFormat[] = "Global\\%s.Event";
    char eventName[1024];
    if (lstrlenA(serviceName) + sizeof kGlobalFormat > sizeof eventName) return NULL;

    wsprintfA(eventName, "%s.Event", serviceName);
    HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, eventName);
    if (event != NULL) return event;
    wsprintfA(eventName, kGlobalFormat, serviceName);
    return OpenEventA(SYNCHRONIZE, FALSE, eventName);
}

static DWORD StopAndWaitForEvent(SC_HANDLE service, HANDLE event, DWORD timeout)
{
    // The state the stop request reports is not examined: the event is the service's word.
    SERVICE_STATUS status;
    if (!ControlService(service, SERVICE_CONTROL_STOP, &status)) return GetLastError();
    if (event == NULL) return 0;
    return WaitForSingleObject(event, timeout) == WAIT_OBJECT_0 ? 0 : kTimeoutResult;
}

DWORD StopServiceAndWait(const char* serviceName, DWORD timeout)
{
    ServiceHandles handles;
    const DWORD error = handles.Open(serviceName, SERVICE_STOP | SERVICE_INTERROGATE);
    if (error != 0) return error;

    // Opened before the stop request, while the service still holds it.
    HANDLE event = OpenStopEvent(serviceName);
    const DWORD result = StopAndWaitForEvent(handles.Service(), event, timeout);
    if (event != NULL) CloseHandle(event);
    return result;
}
