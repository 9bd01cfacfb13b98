#include "runrules/serviceaccount.h"

#include <ntsecapi.h>

#include <cwchar>

#include "runrules/servicesid.h"

namespace {

typedef BYTE SidBuffer[SECURITY_MAX_SID_SIZE];

// ntsecapi.h's value, which MinGW's headers lack: names without a domain are looked up on this
// computer only.
const ULONG kLookupIsolatedAsLocal = 0x80000000;

struct WellKnownAccount {
    const wchar_t* name;
    WELL_KNOWN_SID_TYPE type;
};

// The names the service manager documents, and the accounts' own names.
const WellKnownAccount kWellKnownAccounts[] = {
    {L"LocalSystem", WinLocalSystemSid},
    {L"NT AUTHORITY\\SYSTEM", WinLocalSystemSid},
    {L"NT AUTHORITY\\LocalService", WinLocalServiceSid},
    {L"NT AUTHORITY\\LOCAL SERVICE", WinLocalServiceSid},
    {L"NT AUTHORITY\\NetworkService", WinNetworkServiceSid},
    {L"NT AUTHORITY\\NETWORK SERVICE", WinNetworkServiceSid},
};
const wchar_t kVirtualAccountDomain[] = L"NT SERVICE\\";
// LSA_UNICODE_STRING counts bytes in 16 bits.
const int kLongestLsaName = 0xFFFF / sizeof(wchar_t);

bool SameText(const wchar_t* a, int aLength, const wchar_t* b, int bLength)
{
    return CompareStringOrdinal(a, aLength, b, bLength, TRUE) == CSTR_EQUAL;
}

bool IsThisComputer(const wchar_t* domain, int length)
{
    if (length == 1 && domain[0] == L'.') return true;
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(computer, &size) && SameText(domain, length, computer, static_cast<int>(size));
}

// The user part of a name of this computer's own account, else null.
const wchar_t* LocalUserPart(const wchar_t* name)
{
    const wchar_t* slash = std::wcschr(name, L'\\');
    if (slash == NULL) return std::wcschr(name, L'@') == NULL ? name : NULL;
    return IsThisComputer(name, static_cast<int>(slash - name)) ? slash + 1 : NULL;
}

bool LocalUserSid(const wchar_t* user, SidBuffer& sid)
{
    const int length = lstrlenW(user);
    if (length == 0 || length > kLongestLsaName) return false;
    LSA_OBJECT_ATTRIBUTES attributes = {};
    LSA_HANDLE policy = NULL;
    if (LsaOpenPolicy(NULL, &attributes, POLICY_LOOKUP_NAMES, &policy) != 0) return false;
    const USHORT bytes = static_cast<USHORT>(length * sizeof(wchar_t));
    LSA_UNICODE_STRING name = {bytes, bytes, const_cast<wchar_t*>(user)};
    PLSA_REFERENCED_DOMAIN_LIST domains = NULL;
    PLSA_TRANSLATED_SID2 sids = NULL;
    const NTSTATUS status = LsaLookupNames2(policy, kLookupIsolatedAsLocal, 1, &name, &domains, &sids);
    const bool found = status == 0 && sids[0].Use == SidTypeUser && CopySid(sizeof sid, sid, sids[0].Sid);
    if (domains != NULL) LsaFreeMemory(domains);
    if (sids != NULL) LsaFreeMemory(sids);
    LsaClose(policy);
    return found;
}

}  // namespace

bool ServiceAccountSid(const wchar_t* startName, SidBuffer& sid)
{
    for (const WellKnownAccount& account : kWellKnownAccounts) {
        if (!SameText(startName, -1, account.name, -1)) continue;
        DWORD size = sizeof sid;
        return CreateWellKnownSid(account.type, NULL, sid, &size) != FALSE;
    }
    const int prefix = sizeof kVirtualAccountDomain / sizeof kVirtualAccountDomain[0] - 1;
    if (lstrlenW(startName) > prefix && SameText(startName, prefix, kVirtualAccountDomain, prefix))
        return ServiceSidOf(startName + prefix, sid);
    const wchar_t* user = LocalUserPart(startName);
    return user != NULL && LocalUserSid(user, sid);
}
