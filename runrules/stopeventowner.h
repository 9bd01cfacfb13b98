// Who may have made a service's stop event: only the account the service runs as.
#ifndef ZSTARTUP_RUNRULES_STOPEVENTOWNER_H
#define ZSTARTUP_RUNRULES_STOPEVENTOWNER_H

#include <windows.h>

enum class EventOwner {
    kService,     // the service's own (see JudgeEventOwner)
    kForeign,     // an account the service does not run as
    kUnproven,    // the account the service runs as cannot be known on this computer alone
    kUnreadable,  // the descriptor has no owner, or it cannot be read
};

// Whether an event owned by owner may be the stop announcement of serviceName (ANSI text),
// configured to run as configuredAccount (QueryServiceConfig's lpServiceStartName; null when
// the configuration cannot be read). kService when owner is the service's own service SID
// (NT SERVICE\<serviceName>, whatever its account), the configured account (see
// ServiceAccountSid), or Administrators for a service that runs as LocalSystem (the default
// owner of what LocalSystem creates). Otherwise kUnproven when the configured account is
// unknown or not found on this computer (a domain account), else kForeign. kUnreadable for a
// null or invalid owner: an owner that cannot be read proves nothing.
//
// Nothing is asked of another computer: a domain account is never looked up.
EventOwner JudgeEventOwner(PSID owner, const char* serviceName, const wchar_t* configuredAccount);

// Reads the owner of event (opened with READ_CONTROL) into owner and the account serviceName
// is configured to run as (through manager, with SERVICE_QUERY_CONFIG; unknown when refused),
// and decides with JudgeEventOwner. owner is left unchanged when kUnreadable.
EventOwner ExamineEventOwner(HANDLE event, SC_HANDLE manager, const char* serviceName,
                             BYTE (&owner)[SECURITY_MAX_SID_SIZE]);

#endif
