#include "runrules/stopeventowner.h"

#include <aclapi.h>

#include <cstring>

namespace {

typedef BYTE SidBuffer[SECURITY_MAX_SID_SIZE];

// QueryServiceConfigA needs at most 8 KB, as documented.
const DWORD kServiceConfigCapacity = 8192;

// NT SERVICE\<name>: S-1-5-80-..., one SID per service, which the service's processes carry.
bool IsServiceSid(PSID sid)
{
    const SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    return *GetSidSubAuthorityCount(sid) >= 1 &&
           std::memcmp(GetSidIdentifierAuthority(sid), &ntAuthority, sizeof ntAuthority) == 0 &&
           *GetSidSubAuthority(sid, 0) == SECURITY_SERVICE_ID_BASE_RID;
}

bool SameAccount(PSID owner, PSID account)
{
    return account != NULL && IsValidSid(account) && EqualSid(owner, account);
}

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

bool ReadLauncherAccount(SidBuffer& account)
{
    HANDLE token = NULL;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } info;
    DWORD size = 0;
    const BOOL read = GetTokenInformation(token, TokenUser, &info, sizeof info, &size);
    CloseHandle(token);
    return read && CopySid(sizeof account, account, info.user.User.Sid);
}

// The SID of a service's configured account: "NT AUTHORITY\LocalService", "DOMAIN\user",
// "user@domain" or ".\user" (this machine's, which the look-up does not take in that form).
bool LookUpAccount(const char* accountName, SidBuffer& account)
{
    if (accountName[0] == '.' && accountName[1] == '\\') accountName += 2;
    char domain[256];
    DWORD sidSize = sizeof account;
    DWORD domainSize = sizeof domain;
    SID_NAME_USE use;
    return LookupAccountNameA(NULL, accountName, account, &sidSize, domain, &domainSize, &use) != FALSE;
}

bool ReadConfiguredAccount(SC_HANDLE manager, const char* serviceName, SidBuffer& account)
{
    SC_HANDLE service = OpenServiceA(manager, serviceName, SERVICE_QUERY_CONFIG);
    if (service == NULL) return false;
    union {
        QUERY_SERVICE_CONFIGA config;
        BYTE bytes[kServiceConfigCapacity];
    } buffer;
    DWORD needed = 0;
    const BOOL read = QueryServiceConfigA(service, &buffer.config, sizeof buffer, &needed);
    CloseServiceHandle(service);
    const char* accountName = read ? buffer.config.lpServiceStartName : NULL;
    return accountName != NULL && accountName[0] != '\0' && LookUpAccount(accountName, account);
}

}  // namespace

bool OwnerMayAnnounceStop(PSID owner, PSID configuredAccount, PSID launcherAccount)
{
    if (owner == NULL || !IsValidSid(owner)) return false;
    const WELL_KNOWN_SID_TYPE kServiceAccounts[] = {WinLocalSystemSid, WinBuiltinAdministratorsSid, WinLocalServiceSid,
                                                    WinNetworkServiceSid};
    for (const WELL_KNOWN_SID_TYPE type : kServiceAccounts) {
        if (IsWellKnownSid(owner, type)) return true;
    }
    return IsServiceSid(owner) || SameAccount(owner, configuredAccount) || SameAccount(owner, launcherAccount);
}

EventOwner ExamineEventOwner(HANDLE event, SC_HANDLE manager, const char* serviceName, SidBuffer& owner)
{
    if (!ReadOwner(event, owner)) return EventOwner::kUnreadable;
    SidBuffer launcher;
    const PSID launcherAccount = ReadLauncherAccount(launcher) ? launcher : NULL;
    if (OwnerMayAnnounceStop(owner, NULL, launcherAccount)) return EventOwner::kService;
    SidBuffer configured;
    const bool known = manager != NULL && ReadConfiguredAccount(manager, serviceName, configured);
    return known && OwnerMayAnnounceStop(owner, configured, launcherAccount) ? EventOwner::kService
                                                                             : EventOwner::kForeign;
}
