// ServiceFacts: what the service manager says of one service, read with query rights only.
#ifndef ZSTARTUP_CHECKER_PLAN_SERVICEFACTS_H
#define ZSTARTUP_CHECKER_PLAN_SERVICEFACTS_H

#include <windows.h>

#include <string>
#include <vector>

struct ServiceFacts {
    bool installed = false;                  // false when the manager knows no service of that name (1060)
    std::string keyName;                     // when not installed: the service whose display name it is, or ""
    DWORD state = SERVICE_STOPPED;           // current state, SERVICE_STOPPED when unknown
    DWORD startType = SERVICE_DEMAND_START;  // SERVICE_DISABLED and so on; SERVICE_DEMAND_START when unknown
    DWORD configError = 0;                   // 0 when the configuration (the start type) could be read, else the error
    DWORD stopError = 0;                     // opening it with exactly the launcher's stop rights: 0 or the error
    DWORD startError = 0;                    // the same with the start rights
};

// Each right is tried on an open of its own, so that an account holding exactly the
// launcher's rights is not refused for one it does not need. Sends no control.
ServiceFacts ReadServiceFacts(const char* name);

// Reads the service's security descriptor, its DACL, into descriptor (self-relative): 0, or
// the error of the open (with READ_CONTROL) or of QueryServiceObjectSecurity;
// ERROR_SERVICE_DOES_NOT_EXIST when no service has that name.
DWORD ReadServiceDescriptor(const char* name, std::vector<BYTE>& descriptor);

// Services whose DependOnService names the service, as the service manager stores it in the
// registry (read there because the service API does not list them everywhere).
std::vector<std::string> DependentServices(const char* name);

#endif
