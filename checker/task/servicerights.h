// Whether a service's permissions let a task's principal do what the launcher asks of it, and
// the sc sdset line that would.
#ifndef ZSTARTUP_CHECKER_TASK_SERVICERIGHTS_H
#define ZSTARTUP_CHECKER_TASK_SERVICERIGHTS_H

#include <windows.h>

#include <string>
#include <vector>

// One listed service and what the launcher asks of it: kStopAccess for a stop, kStartAccess for
// a start, both when the list does both.
struct ServiceNeed {
    std::string name;
    DWORD rights = 0;
    DWORD readError = 0;           // 0, or why its descriptor could not be read
    std::vector<BYTE> descriptor;  // self-relative, with its DACL, when read
};

// The rights among wanted that a token holding enabledSids (and denyOnlySids, which deny
// entries alone match) is granted by the DACL of descriptor, as Windows' access check walks
// it: entries in order, inherit-only ones skipped, generic rights mapped as for a service
// (Microsoft, "Service Security and Access Rights"), each right decided by the first entry
// that names it for a SID of the token. A missing (null) DACL grants everything, an empty one
// nothing. Callback and object entries, whose condition or object type is not evaluated here,
// grant nothing (the launcher may not count on them) and deny what they name when their SID is
// the token's.
DWORD GrantedServiceRights(PSECURITY_DESCRIPTOR descriptor, const std::vector<std::string>& enabledSids,
                           const std::vector<std::string>& denyOnlySids, DWORD wanted);

// "stop, query status" for service rights.
std::string ServiceRightsInWords(DWORD rights);

// The service rights in SDDL ("LCRPWP").
std::string ServiceRightsSddl(DWORD rights);

// The descriptor's DACL in SDDL with one entry added at its end, allowing rights to sid:
// "D:(A;;...;;;SY)(A;;LCRPWP;;;S-1-5-32-545)"; "" when the descriptor cannot be converted.
std::string SddlWithEntry(PSECURITY_DESCRIPTOR descriptor, DWORD rights, const std::string& sid);

#endif
