#include "checker/servicefacts.h"

#include "runrules/servicehandles.h"
#include "runrules/servicestate.h"

namespace {

const char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";

std::string KeyNameOfDisplayName(const char* displayName)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    if (manager == NULL) return std::string();
    char keyName[257] = "";
    DWORD size = sizeof keyName;
    const BOOL found = GetServiceKeyNameA(manager, displayName, keyName, &size);
    CloseServiceHandle(manager);
    return found ? keyName : std::string();
}

DWORD StartType(SC_HANDLE service)
{
    DWORD needed = 0;
    QueryServiceConfigA(service, NULL, 0, &needed);
    if (needed == 0) return SERVICE_DEMAND_START;
    std::vector<char> buffer(needed);
    QUERY_SERVICE_CONFIGA* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (!QueryServiceConfigA(service, config, needed, &needed)) return SERVICE_DEMAND_START;
    return config->dwStartType;
}

DWORD OpenError(const char* name, DWORD access)
{
    ServiceHandles handles;
    return handles.Open(name, access);
}

// Whether a REG_MULTI_SZ list of service names holds name (names compare without case).
bool ListsName(const std::vector<char>& list, const char* name)
{
    for (const char* item = list.data(); item < list.data() + list.size() && *item != '\0'; item += lstrlenA(item) + 1) {
        if (lstrcmpiA(item, name) == 0) return true;
    }
    return false;
}

bool DependsOn(HKEY services, const char* candidate, const char* name)
{
    HKEY key = NULL;
    if (RegOpenKeyExA(services, candidate, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    DWORD size = 0;
    std::vector<char> list;
    if (RegQueryValueExA(key, "DependOnService", NULL, &type, NULL, &size) == ERROR_SUCCESS && type == REG_MULTI_SZ) {
        list.resize(size + 2, '\0');  // room for terminators a careless writer left out
        RegQueryValueExA(key, "DependOnService", NULL, &type, reinterpret_cast<BYTE*>(list.data()), &size);
    }
    RegCloseKey(key);
    return ListsName(list, name);
}

}  // namespace

ServiceFacts ReadServiceFacts(const char* name)
{
    ServiceFacts facts = {0, std::string(), SERVICE_STOPPED, SERVICE_DEMAND_START, 0, 0};
    ServiceHandles handles;
    facts.queryError = handles.Open(name, SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG);
    if (facts.queryError == ERROR_SERVICE_DOES_NOT_EXIST) facts.keyName = KeyNameOfDisplayName(name);
    if (facts.queryError != 0) return facts;
    const ServiceState current = QueryServiceState(handles.Service());
    if (current.error == 0) facts.state = current.state;
    facts.startType = StartType(handles.Service());
    facts.stopError = OpenError(name, kStopAccess);
    facts.startError = OpenError(name, kStartAccess);
    return facts;
}

std::vector<std::string> DependentServices(const char* name)
{
    std::vector<std::string> dependents;
    HKEY services = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kServicesKey, 0, KEY_READ, &services) != ERROR_SUCCESS)
        return dependents;
    char candidate[257];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof candidate;
        const LONG result = RegEnumKeyExA(services, i, candidate, &length, NULL, NULL, NULL, NULL);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result == ERROR_SUCCESS && DependsOn(services, candidate, name)) dependents.push_back(candidate);
    }
    RegCloseKey(services);
    return dependents;
}
