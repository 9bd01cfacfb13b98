#include "runrules/stopevent.h"

#include "runrules/servicename.h"
#include "runrules/stopeventowner.h"

namespace {

const char kGlobalFormat[] = "Global\\%s.Event";
const char kPlainFormat[] = "%s.Event";
// Waiting on it, and reading its owner.
const DWORD kEventAccess = SYNCHRONIZE | READ_CONTROL;

bool NotFound(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// The key name the manager registered the service under, through its display name: the only
// calls that give the spelling with no right on the service itself. False when either fails.
bool RegisteredSpelling(SC_HANDLE manager, const char* listName, char (&registered)[kServiceNameCapacity])
{
    char displayName[kServiceNameCapacity];
    DWORD size = sizeof displayName;
    if (!GetServiceDisplayNameA(manager, listName, displayName, &size)) return false;
    size = sizeof registered;
    return GetServiceKeyNameA(manager, displayName, registered, &size) && SameServiceName(registered, listName);
}

}  // namespace

StopEvent::StopEvent(SC_HANDLE manager, const char* listName)
    : handle(NULL), state(StopEventState::kAbsent), error(0), ownerRead(false), owner(), serviceName(), eventName()
{
    // A longer text names no service, and so no event of one.
    if (lstrlenA(listName) > kMaxServiceNameLength) return;
    if (manager == NULL || !RegisteredSpelling(manager, listName, serviceName)) lstrcpyA(serviceName, listName);
    // A Global\ name that exists in any form decides: a user's plain name must not stand in
    // for one that was refused.
    if (!Find(kGlobalFormat, manager)) Find(kPlainFormat, manager);
}

StopEvent::~StopEvent()
{
    if (handle != NULL) CloseHandle(handle);
}

// False when no object has the name; otherwise state says what was found.
bool StopEvent::Find(const char* format, SC_HANDLE manager)
{
    char name[sizeof eventName];
    wsprintfA(name, format, serviceName);
    HANDLE opened = OpenEventA(kEventAccess, FALSE, name);
    const DWORD openError = opened == NULL ? GetLastError() : 0;
    if (opened == NULL && NotFound(openError)) return false;
    lstrcpyA(eventName, name);
    if (opened == NULL) {
        state = StopEventState::kRefused;
        error = openError;
        return true;
    }
    state = Examine(opened, manager);
    if (state == StopEventState::kWaitable)
        handle = opened;
    else
        CloseHandle(opened);
    return true;
}

StopEventState StopEvent::Examine(HANDLE opened, SC_HANDLE manager)
{
    switch (ExamineEventOwner(opened, manager, serviceName, owner)) {
    case EventOwner::kUnreadable:
        return StopEventState::kOwnerUnknown;
    case EventOwner::kForeign:
        ownerRead = true;
        return StopEventState::kForeignOwner;
    case EventOwner::kUnproven:
        ownerRead = true;
        return StopEventState::kOwnerUnproven;
    case EventOwner::kService:
        break;
    }
    ownerRead = true;
    // Signalled before the stop is asked for: kept alive from an earlier run by another handle,
    // or never reset; it cannot announce this stop.
    return WaitForSingleObject(opened, 0) == WAIT_TIMEOUT ? StopEventState::kWaitable : StopEventState::kSignalled;
}
