// ServiceFacts: what the service manager says of one service, read with query rights only.
#ifndef ZSTARTUP_CHECKER_SERVICEFACTS_H
#define ZSTARTUP_CHECKER_SERVICEFACTS_H

#include <windows.h>

#include <string>
#include <vector>

struct ServiceFacts {
    DWORD queryError;     // 0 when the service could be opened for query; 1060: not installed
    std::string keyName;  // for 1060: the service whose display name the name is, or ""
    DWORD state;          // current state, SERVICE_STOPPED when unknown
    DWORD startType;      // SERVICE_DISABLED and so on
    DWORD stopError;      // opening it with the launcher's stop rights: 0 or the error
    DWORD startError;     // the same with the start rights
};

// Opens nothing but for query, and sends no control.
ServiceFacts ReadServiceFacts(const char* name);

// Services whose DependOnService names the service, as the service manager stores it in the
// registry (read there because the service API does not list them everywhere).
std::vector<std::string> DependentServices(const char* name);

#endif
