#include "runrules/stopeventowner.h"

#include <aclapi.h>

#include "runrules/serviceaccount.h"
#include "runrules/servicelistentry.h"
#include "runrules/servicesid.h"

namespace {

typedef BYTE SidBuffer[SECURITY_MAX_SID_SIZE];

// QueryServiceConfig needs at most 8 KB, as documented.
const DWORD kServiceConfigCapacity = 8192;

bool ReadOwner(HANDLE event, SidBuffer& owner)
{
    PSID sid = NULL;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (GetSecurityInfo(event, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &sid, NULL, NULL, NULL, &descriptor) !=
        ERROR_SUCCESS)
        return false;
    const bool read = sid != NULL && IsValidSid(sid) && CopySid(sizeof owner, owner, sid);
    LocalFree(descriptor);
    return read;
}

// The service's name as OpenServiceA hands it to the manager: converted from the ANSI code page.
bool IsOwnServiceSid(PSID owner, const char* serviceName)
{
    wchar_t wide[kServiceNameCapacity];
    SidBuffer own;
    return lstrlenA(serviceName) <= kMaxServiceNameLength &&
           MultiByteToWideChar(CP_ACP, 0, serviceName, -1, wide, kServiceNameCapacity) != 0 &&
           ServiceSidOf(wide, own) && EqualSid(owner, own);
}

// The configuration's account in UTF-16, so that a name the ANSI code page lacks is not read
// as a look-alike of another account's.
union ServiceConfig {
    QUERY_SERVICE_CONFIGW config;
    BYTE bytes[kServiceConfigCapacity];
};

const wchar_t* ReadConfiguredAccount(SC_HANDLE manager, const char* serviceName, ServiceConfig& buffer)
{
    SC_HANDLE service = OpenServiceA(manager, serviceName, SERVICE_QUERY_CONFIG);
    if (service == NULL) return NULL;
    DWORD needed = 0;
    const BOOL read = QueryServiceConfigW(service, &buffer.config, sizeof buffer, &needed);
    CloseServiceHandle(service);
    return read ? buffer.config.lpServiceStartName : NULL;
}

}  // namespace

EventOwner JudgeEventOwner(PSID owner, const char* serviceName, const wchar_t* configuredAccount)
{
    if (owner == NULL || !IsValidSid(owner)) return EventOwner::kUnreadable;
    if (IsOwnServiceSid(owner, serviceName)) return EventOwner::kService;
    SidBuffer account;
    if (configuredAccount == NULL || !ServiceAccountSid(configuredAccount, account)) return EventOwner::kUnproven;
    const bool localSystemsGroup =
        IsWellKnownSid(account, WinLocalSystemSid) && IsWellKnownSid(owner, WinBuiltinAdministratorsSid);
    return EqualSid(owner, account) || localSystemsGroup ? EventOwner::kService : EventOwner::kForeign;
}

EventOwner ExamineEventOwner(HANDLE event, SC_HANDLE manager, const char* serviceName, SidBuffer& owner)
{
    if (!ReadOwner(event, owner)) return EventOwner::kUnreadable;
    ServiceConfig config;
    const wchar_t* account = manager == NULL ? NULL : ReadConfiguredAccount(manager, serviceName, config);
    return JudgeEventOwner(owner, serviceName, account);
}
