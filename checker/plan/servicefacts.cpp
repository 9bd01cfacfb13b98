#include "checker/plan/servicefacts.h"

#include "helpers/uniqueany.h"
#include "runrules/servicehandles.h"
#include "runrules/servicelistentry.h"
#include "runrules/servicename.h"
#include "runrules/servicestate.h"

namespace {

const char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";

std::string KeyNameOfDisplayName(const char* displayName)
{
    const UniqueServiceHandle manager(OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT));
    char keyName[kServiceNameCapacity] = "";
    DWORD size = sizeof keyName;
    return manager && GetServiceKeyNameA(manager.Get(), displayName, keyName, &size) ? keyName : std::string();
}

DWORD ReadStartType(SC_HANDLE service, DWORD& startType)
{
    DWORD needed = 0;
    QueryServiceConfigA(service, NULL, 0, &needed);
    if (needed == 0) return GetLastError();
    std::vector<char> buffer(needed);
    QUERY_SERVICE_CONFIGA* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (!QueryServiceConfigA(service, config, needed, &needed)) return GetLastError();
    startType = config->dwStartType;
    return 0;
}

// Opens the service with access: 0 or the error. Reads its state into facts when it has not
// been read yet and access allows it.
DWORD OpenWith(const char* name, DWORD access, bool& stateRead, ServiceFacts& facts)
{
    ServiceHandles handles;
    const DWORD error = handles.Open(name, access);
    if (error != 0 || stateRead || (access & SERVICE_QUERY_STATUS) == 0) return error;
    const ServiceState current = QueryServiceState(handles.Service());
    stateRead = current.error == 0;
    if (stateRead) facts.state = current.state;
    return 0;
}

DWORD ReadConfiguration(const char* name, ServiceFacts& facts)
{
    ServiceHandles handles;
    const DWORD error = handles.Open(name, SERVICE_QUERY_CONFIG);
    return error != 0 ? error : ReadStartType(handles.Service(), facts.startType);
}

// Whether a REG_MULTI_SZ list of service names holds name, as the service manager compares names.
bool ListsName(const std::vector<char>& list, const char* name)
{
    for (const char* item = list.data(); item < list.data() + list.size() && *item != '\0';
         item += lstrlenA(item) + 1) {
        if (SameServiceName(item, name)) return true;
    }
    return false;
}

bool DependsOn(HKEY services, const char* candidate, const char* name)
{
    UniqueKey key;
    if (RegOpenKeyExA(services, candidate, 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    DWORD size = 0;
    std::vector<char> list;
    if (RegQueryValueExA(key.Get(), "DependOnService", NULL, &type, NULL, &size) == ERROR_SUCCESS &&
        type == REG_MULTI_SZ) {
        list.resize(size + 2, '\0');  // room for terminators a careless writer left out
        RegQueryValueExA(key.Get(), "DependOnService", NULL, &type, reinterpret_cast<BYTE*>(list.data()), &size);
    }
    return ListsName(list, name);
}

}  // namespace

ServiceFacts ReadServiceFacts(const char* name)
{
    ServiceFacts facts;
    bool stateRead = false;
    facts.stopError = OpenWith(name, kStopAccess, stateRead, facts);
    facts.startError = OpenWith(name, kStartAccess, stateRead, facts);
    OpenWith(name, SERVICE_QUERY_STATUS, stateRead, facts);
    facts.installed = facts.stopError != ERROR_SERVICE_DOES_NOT_EXIST;
    if (!facts.installed) {
        facts.keyName = KeyNameOfDisplayName(name);
        return facts;
    }
    facts.configError = ReadConfiguration(name, facts);
    return facts;
}

DWORD ReadServiceDescriptor(const char* name, std::vector<BYTE>& descriptor)
{
    ServiceHandles handles;
    const DWORD error = handles.Open(name, READ_CONTROL);
    if (error != 0) return error;
    DWORD needed = 0;
    QueryServiceObjectSecurity(handles.Service(), DACL_SECURITY_INFORMATION, NULL, 0, &needed);
    if (needed == 0) return GetLastError();
    descriptor.resize(needed);
    if (!QueryServiceObjectSecurity(handles.Service(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed))
        return GetLastError();
    return 0;
}

std::vector<std::string> DependentServices(const char* name)
{
    std::vector<std::string> dependents;
    UniqueKey services;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kServicesKey, 0, KEY_READ, services.Put()) != ERROR_SUCCESS)
        return dependents;
    char candidate[257];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof candidate;
        const LONG result = RegEnumKeyExA(services.Get(), i, candidate, &length, NULL, NULL, NULL, NULL);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result == ERROR_SUCCESS && DependsOn(services.Get(), candidate, name)) dependents.push_back(candidate);
    }
    return dependents;
}
