#include "runrules/stopevent.h"

namespace {

const char kGlobalFormat[] = "Global\\%s.Event";
const char kPlainFormat[] = "%s.Event";

bool NotFound(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The key name the manager registered the service under, through its display name: the only
// calls that give the spelling with no right on the service itself. False when either fails.
bool RegisteredSpelling(SC_HANDLE manager, const char* listName, char (&registered)[kServiceNameCapacity])
{
    char displayName[kServiceNameCapacity];
    DWORD size = sizeof displayName;
    if (!GetServiceDisplayNameA(manager, listName, displayName, &size)) return false;
    size = sizeof registered;
    return GetServiceKeyNameA(manager, displayName, registered, &size) && lstrcmpiA(registered, listName) == 0;
}

}  // namespace

StopEvent::StopEvent(SC_HANDLE manager, const char* listName)
    : handle(NULL), state(StopEventState::kAbsent), error(0), serviceName(), eventName()
{
    // A longer text names no service, and so no event of one.
    if (lstrlenA(listName) > kMaxServiceNameLength) return;
    if (manager == NULL || !RegisteredSpelling(manager, listName, serviceName)) lstrcpyA(serviceName, listName);
    if (TryOpen(kGlobalFormat)) return;
    TryOpen(kPlainFormat);
}

StopEvent::~StopEvent()
{
    if (handle != NULL) CloseHandle(handle);
}

// True when the event was opened. The first refusal is kept: a refused Global\ name still
// lets the plain name be tried.
bool StopEvent::TryOpen(const char* format)
{
    char name[sizeof eventName];
    wsprintfA(name, format, serviceName);
    handle = OpenEventA(SYNCHRONIZE, FALSE, name);
    if (handle != NULL) {
        state = StopEventState::kOpened;
        lstrcpyA(eventName, name);
        return true;
    }
    const DWORD openError = GetLastError();
    if (!NotFound(openError) && state == StopEventState::kAbsent) {
        state = StopEventState::kUnopenable;
        error = openError;
        lstrcpyA(eventName, name);
    }
    return false;
}
