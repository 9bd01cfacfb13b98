// Who may have made a service's stop event: only an account the service can run as.
#ifndef ZSTARTUP_RUNRULES_STOPEVENTOWNER_H
#define ZSTARTUP_RUNRULES_STOPEVENTOWNER_H

#include <windows.h>

// Whether an event owned by owner may be the service's own announcement: true when owner is
// LocalSystem (S-1-5-18), Administrators (S-1-5-32-544, the default owner of what LocalSystem
// creates), LocalService (S-1-5-19), NetworkService (S-1-5-20), a service SID (S-1-5-80-...,
// NT SERVICE\<name>), configuredAccount or launcherAccount (either may be null: unknown).
// False for every other owner, and for a null or invalid one: an owner that cannot be read
// proves nothing. Pure: it looks nothing up.
bool OwnerMayAnnounceStop(PSID owner, PSID configuredAccount, PSID launcherAccount);

enum class EventOwner {
    kService,     // OwnerMayAnnounceStop accepts it
    kForeign,     // another account's
    kUnreadable,  // the descriptor has no owner, or it cannot be read
};

// Reads the owner of event (opened with READ_CONTROL) into owner and decides with
// OwnerMayAnnounceStop, against this process's own user and the account serviceName is
// configured to run as (read through manager with SERVICE_QUERY_CONFIG; unknown when refused).
// That account is looked up, which may ask a domain controller, only when the other rules do
// not accept the owner already. owner is left unchanged when kUnreadable.
EventOwner ExamineEventOwner(HANDLE event, SC_HANDLE manager, const char* serviceName,
                             BYTE (&owner)[SECURITY_MAX_SID_SIZE]);

#endif
