// StopEvent: the named event by which a stopping service announces that it has finished.
#ifndef ZSTARTUP_RUNRULES_STOPEVENT_H
#define ZSTARTUP_RUNRULES_STOPEVENT_H

#include <windows.h>

#include "runrules/servicelistentry.h"

enum class StopEventState {
    kOpened,      // open with the right to wait on it
    kAbsent,      // neither name exists
    kUnopenable,  // a name exists but cannot be opened: access denied, or another kind of object
};

class StopEvent {
public:
    // Opens the event of the service that listName names, under the service's registered
    // spelling: service names are case-insensitive, object names are not, so "showplayer"
    // must find ShowPlayer's event. The spelling comes from manager (a connection to the
    // service manager); when it cannot give one, listName is used as written.
    //
    // "Global\<name>.Event" is tried first, then "<name>.Event". Creating a Global\ name
    // needs a privilege that services and administrators hold and ordinary users do not,
    // while any program may create the plain name in its own session before the service
    // does, and so fake or withhold the announcement. A service in session 0 that creates
    // the plain name is found under the prefix too: session 0's plain names are the global
    // ones. Only "not found" under both names means no event.
    StopEvent(SC_HANDLE manager, const char* listName);
    ~StopEvent();

    StopEventState State() const { return state; }
    // The opened event; null unless kOpened.
    HANDLE Handle() const { return handle; }
    // The service's name as registered, or as listed when the manager did not give it.
    const char* ServiceName() const { return serviceName; }
    // The name that was opened, or refused; "" when kAbsent.
    const char* EventName() const { return eventName; }
    // The open's error for kUnopenable (5: access denied, 6: the name is not an event).
    DWORD Error() const { return error; }

    StopEvent(const StopEvent&) = delete;             // owns a handle
    StopEvent& operator=(const StopEvent&) = delete;  // owns a handle

private:
    bool TryOpen(const char* format);

    HANDLE handle;
    StopEventState state;
    DWORD error;
    char serviceName[kServiceNameCapacity];
    char eventName[sizeof "Global\\" + kServiceNameCapacity + sizeof ".Event"];
};

#endif
