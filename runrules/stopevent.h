// StopEvent: the named event by which a stopping service announces that it has finished.
#ifndef ZSTARTUP_RUNRULES_STOPEVENT_H
#define ZSTARTUP_RUNRULES_STOPEVENT_H

#include <windows.h>

#include "runrules/servicelistentry.h"

enum class StopEventState {
    kWaitable,       // the service's own and not signalled yet: its signal can announce the stop
    kAbsent,         // neither name exists
    kRefused,        // a name exists but cannot be opened to wait on and read its owner: access
                     // denied, or another kind of object
    kSignalled,      // signalled already (or not to be waited on at all) before the stop request
    kForeignOwner,   // owned by an account the service does not run as (see JudgeEventOwner)
    kOwnerUnproven,  // owned by an account that cannot be told from the service's on this
                     // computer alone: the service runs as a domain account, or its
                     // configuration cannot be read
    kOwnerUnknown,   // its owner cannot be read
};

class StopEvent {
public:
    // Looks for the event of the service that listName names, under the service's registered
    // spelling: service names are case-insensitive, object names are not, so "showplayer"
    // must find ShowPlayer's event. The spelling comes from manager (a connection to the
    // service manager); when it cannot give one, listName is used as written.
    //
    // "Global\<name>.Event" is opened with SYNCHRONIZE and READ_CONTROL; only when that name
    // does not exist at all is "<name>.Event" tried. Any program in any session may create
    // either name before the service does (only file mappings and symbolic links are
    // privileged in the global namespace), so a name proves nothing by itself: an event found
    // is waited on only when its owner is the service's own (JudgeEventOwner) and it is not
    // signalled yet (a zero wait, which leaves a manual-reset event as it is but takes the
    // signal of an auto-reset one). A service in session 0 that creates the plain name is
    // found under the prefix too: session 0's plain names are the global ones.
    StopEvent(SC_HANDLE manager, const char* listName);
    ~StopEvent();

    StopEventState State() const { return state; }
    // The opened event; null unless kWaitable.
    HANDLE Handle() const { return handle; }
    // The service's name as registered, or as listed when the manager did not give it.
    const char* ServiceName() const { return serviceName; }
    // The name found: opened, or refused; "" when kAbsent.
    const char* EventName() const { return eventName; }
    // The open's error for kRefused (5: access denied, 6: the name is not an event), else 0.
    DWORD Error() const { return error; }
    // The event's owner for kWaitable, kSignalled, kForeignOwner and kOwnerUnproven; null
    // otherwise.
    PSID Owner() const { return ownerRead ? const_cast<BYTE*>(owner) : NULL; }

    StopEvent(const StopEvent&) = delete;             // owns a handle
    StopEvent& operator=(const StopEvent&) = delete;  // owns a handle

private:
    bool Find(const char* format, SC_HANDLE manager);
    StopEventState Examine(HANDLE opened, SC_HANDLE manager);

    HANDLE handle;
    StopEventState state;
    DWORD error;
    bool ownerRead;
    BYTE owner[SECURITY_MAX_SID_SIZE];
    char serviceName[kServiceNameCapacity];
    char eventName[sizeof "Global\\" + kServiceNameCapacity + sizeof ".Event"];
};

#endif
