// ServiceAccountSid: the account a service is configured to run as, found on this computer
// alone.
#ifndef ZSTARTUP_RUNRULES_SERVICEACCOUNT_H
#define ZSTARTUP_RUNRULES_SERVICEACCOUNT_H

#include <windows.h>

// Writes into sid the SID of startName, the account as QueryServiceConfig gives it
// (lpServiceStartName), compared without case:
// - "LocalSystem" or "NT AUTHORITY\SYSTEM": S-1-5-18;
// - "NT AUTHORITY\LocalService" or "NT AUTHORITY\LOCAL SERVICE": S-1-5-19;
// - "NT AUTHORITY\NetworkService" or "NT AUTHORITY\NETWORK SERVICE": S-1-5-20;
// - "NT SERVICE\<name>", a service's virtual account: ServiceSidOf(<name>);
// - ".\<user>", "<this computer>\<user>" or "<user>": this computer's own user account of that
//   name, looked up with LSA_LOOKUP_ISOLATED_AS_LOCAL, which searches this computer only.
//
// True when found; false, sid unchanged, for every other name. A domain account
// ("DOMAIN\user", "user@domain.example") is never looked up: only a domain controller knows
// it, and asking one may take long, or wait for a network that is not there.
bool ServiceAccountSid(const wchar_t* startName, BYTE (&sid)[SECURITY_MAX_SID_SIZE]);

#endif
