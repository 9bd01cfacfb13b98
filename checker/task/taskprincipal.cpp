#include "checker/task/taskprincipal.h"

#include <windows.h>
#include <lm.h>
#include <ntsecapi.h>
#include <sddl.h>

#include "checker/rights/accountnames.h"
#include "helpers/procaddress.h"
#include "helpers/text.h"
#include "helpers/uniqueany.h"
#include "runrules/serviceaccount.h"

namespace {

const char kSystem[] = "S-1-5-18";
const char kLocalService[] = "S-1-5-19";
const char kNetworkService[] = "S-1-5-20";
const char kServiceAccountPrefix[] = "S-1-5-80-";
const char kAdministrators[] = "S-1-5-32-544";
const char kUsers[] = "S-1-5-32-545";
const char kInteractive[] = "S-1-5-4";
const char kAuthenticatedUsers[] = "S-1-5-11";
const char kEveryone[] = "S-1-1-0";
const char kDomainAccountPrefix[] = "S-1-5-21-";
// The groups every interactive logon's token carries, and so every member of them.
const char* const kEveryInteractiveLogon[] = {kUsers, kInteractive, kAuthenticatedUsers, kEveryone};
const char kLeastPrivilege[] = "RunLevel LeastPrivilege, the default";

bool IsOneOf(const std::string& sid, const std::vector<std::string>& sids)
{
    for (const std::string& one : sids) {
        if (one == sid) return true;
    }
    return false;
}

bool CarriedByEveryInteractiveLogon(const std::string& sid)
{
    for (const char* group : kEveryInteractiveLogon) {
        if (sid == group) return true;
    }
    return false;
}

std::vector<std::string> InteractiveToken(const std::string& sid)
{
    std::vector<std::string> sids = {sid};
    for (const char* group : kEveryInteractiveLogon) {
        if (sid != group) sids.push_back(group);
    }
    return sids;
}

// "S-1-5-18 (NT AUTHORITY\SYSTEM)": the name when this computer knows one.
std::string AccountText(const std::string& sid)
{
    const std::string name = AccountName(sid);
    return name == sid ? sid : sid + " (" + Utf8OfAnsi(name) + ")";
}

// A name of another domain ("CORP\kiosk", "kiosk@corp.example"): only a domain controller
// knows it, and asking one may take long, or wait for a network that is not there.
bool NamesAnotherDomain(const std::wstring& account)
{
    if (account.find(L'@') != std::wstring::npos) return true;
    const size_t slash = account.find(L'\\');
    if (slash == std::wstring::npos) return false;
    const std::wstring domain = account.substr(0, slash);
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    const bool thisComputer = GetComputerNameW(computer, &size) && lstrcmpiW(domain.c_str(), computer) == 0;
    return !thisComputer && lstrcmpiW(domain.c_str(), L"BUILTIN") != 0 &&
           lstrcmpiW(domain.c_str(), L"NT AUTHORITY") != 0;
}

// ntsecapi.h's value, which MinGW's headers lack: a name without a domain is looked up on this
// computer only, never by its domain controller.
const ULONG kLookupIsolatedAsLocal = 0x80000000;

// A name of this computer, of its built-in groups or of the well-known accounts (BUILTIN\Users,
// INTERACTIVE, SYSTEM), looked up by this computer alone: "" when it knows none.
std::string LocalSidOf(const std::wstring& account)
{
    const size_t bytes = account.size() * sizeof(wchar_t);
    LSA_OBJECT_ATTRIBUTES attributes = {};
    LSA_HANDLE policy = NULL;
    if (account.empty() || bytes > 0xFFFF || LsaOpenPolicy(NULL, &attributes, POLICY_LOOKUP_NAMES, &policy) != 0)
        return std::string();
    LSA_UNICODE_STRING name = {static_cast<USHORT>(bytes), static_cast<USHORT>(bytes),
                               const_cast<wchar_t*>(account.c_str())};
    PLSA_REFERENCED_DOMAIN_LIST domains = NULL;
    PLSA_TRANSLATED_SID2 sids = NULL;
    std::string sid;
    if (LsaLookupNames2(policy, kLookupIsolatedAsLocal, 1, &name, &domains, &sids) == 0 && sids[0].Sid != NULL)
        sid = SidText(sids[0].Sid);
    if (domains != NULL) LsaFreeMemory(domains);
    if (sids != NULL) LsaFreeMemory(sids);
    LsaClose(policy);
    return sid;
}

// The SID of account: a SID string, or a name this computer resolves itself; "" otherwise.
std::string SidOfAccount(const std::wstring& account)
{
    UniqueLocal<PSID> converted;
    if (ConvertStringSidToSidW(account.c_str(), converted.Put())) return SidText(converted.Get());
    BYTE sid[SECURITY_MAX_SID_SIZE];
    if (ServiceAccountSid(account.c_str(), sid)) return SidText(sid);
    return NamesAnotherDomain(account) ? std::string() : LocalSidOf(account);
}

enum class Membership { kMember, kNotMember, kUnknown };

// Whether the account sid (a user) is a member of Administrators.
Membership AdministratorsMembership(const std::string& sid, const AccountFacts& facts)
{
    if (IsOneOf(sid, facts.administrators)) return Membership::kMember;
    for (const char* group : kEveryInteractiveLogon) {
        if (IsOneOf(group, facts.administrators)) return Membership::kMember;
    }
    if (!facts.administratorsRead) return Membership::kUnknown;
    const auto local = [&facts](const std::string& account) {
        return !facts.localAccountPrefix.empty() && StartsWith(account, facts.localAccountPrefix);
    };
    // Only a domain account can be in a domain group, and only its controller knows who is.
    if (local(sid)) return Membership::kNotMember;
    for (const std::string& member : facts.administrators) {
        if (StartsWith(member, kDomainAccountPrefix) && !local(member)) return Membership::kUnknown;
    }
    return Membership::kNotMember;
}

TaskPrincipal Unknown(const std::string& account, bool highestAvailable)
{
    TaskPrincipal principal;
    principal.account = account;
    principal.elevation = highestAvailable ? Elevation::kMaybe : Elevation::kNotElevated;
    if (!highestAvailable) principal.whyNotElevated = kLeastPrivilege;
    return principal;
}

TaskPrincipal Known(const std::string& sid, const std::string& account)
{
    TaskPrincipal principal;
    principal.known = true;
    principal.account = account;
    principal.grantSid = sid;
    return principal;
}

// An interactive user that may or may not be an administrator.
TaskPrincipal InteractiveUser(const std::string& sid, const std::string& account, bool highestAvailable,
                              const AccountFacts& facts)
{
    TaskPrincipal principal = Known(sid, account);
    principal.enabledSids = InteractiveToken(sid);
    const Membership membership = AdministratorsMembership(sid, facts);
    if (membership == Membership::kNotMember) {
        principal.whyNotElevated = "it is no member of Administrators";
    } else if (!highestAvailable) {
        principal.whyNotElevated = std::string(kLeastPrivilege) + ", which runs an administrator with a filtered token";
        principal.denyOnlySids = {kAdministrators};
    } else if (membership == Membership::kMember) {
        principal.elevation = Elevation::kElevated;
    } else {
        principal.elevation = Elevation::kMaybe;
        principal.whyNotElevated =
            "whether it is a member of Administrators cannot be told on this computer alone (Administrators holds "
            "accounts of a domain)";
    }
    return principal;
}

TaskPrincipal UserPrincipal(const std::wstring& user, bool highestAvailable, const AccountFacts& facts)
{
    const std::string sid = SidOfAccount(user);
    if (sid.empty()) return Unknown(Utf8Of(user), highestAvailable);
    TaskPrincipal principal = Known(sid, AccountText(sid));
    if (sid == kSystem) {
        principal.elevation = Elevation::kElevated;
        principal.sessionZero = true;
        return principal;
    }
    if (sid == kLocalService || sid == kNetworkService || StartsWith(sid, kServiceAccountPrefix)) {
        principal.sessionZero = true;
        principal.whyNotElevated = "a service account has no administrator rights, whatever its RunLevel";
        principal.enabledSids = {sid, kUsers, kAuthenticatedUsers, kEveryone};
        return principal;
    }
    return InteractiveUser(sid, principal.account, highestAvailable, facts);
}

TaskPrincipal GroupPrincipal(const std::wstring& group, bool highestAvailable, const AccountFacts& facts)
{
    const std::string sid = SidOfAccount(group);
    if (sid.empty()) return Unknown("group " + Utf8Of(group), highestAvailable);
    const std::string account = "group " + AccountText(sid);
    if (!facts.automaticLogonSid.empty() && CarriedByEveryInteractiveLogon(sid)) {
        return InteractiveUser(
            facts.automaticLogonSid,
            AccountText(facts.automaticLogonSid) + ", who logs on automatically, as a member of " + account,
            highestAvailable, facts);
    }
    TaskPrincipal principal = Known(sid, account);
    if (sid == kAdministrators) {
        if (highestAvailable) {
            principal.elevation = Elevation::kElevated;
            return principal;
        }
        principal.whyNotElevated = std::string(kLeastPrivilege) + ", which runs its members with a filtered token";
        principal.enabledSids = InteractiveToken(kUsers);
        principal.denyOnlySids = {kAdministrators};
        principal.grantSid = kUsers;
        return principal;
    }
    principal.enabledSids = InteractiveToken(sid);
    if (highestAvailable) {
        principal.elevation = Elevation::kMaybe;
        principal.whyNotElevated = "for a member who is no administrator; an administrator who logs on is elevated";
    } else {
        principal.whyNotElevated = kLeastPrivilege;
    }
    return principal;
}

using NetLocalGroupGetMembersCall = NET_API_STATUS(WINAPI*)(LPCWSTR, LPCWSTR, DWORD, LPBYTE*, DWORD, LPDWORD, LPDWORD,
                                                            PDWORD_PTR);
using NetApiBufferFreeCall = NET_API_STATUS(WINAPI*)(LPVOID);

// netapi32 is no known DLL: loaded from the system folder only, never from beside the checker.
void ReadAdministrators(AccountFacts& facts)
{
    const UniqueModule module(LoadLibraryExW(L"netapi32.dll", NULL, LOAD_LIBRARY_SEARCH_SYSTEM32));
    const auto getMembers = ProcAddress<NetLocalGroupGetMembersCall>(module.Get(), "NetLocalGroupGetMembers");
    const auto freeBuffer = ProcAddress<NetApiBufferFreeCall>(module.Get(), "NetApiBufferFree");
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof administrators;
    wchar_t name[256];
    DWORD nameSize = 256;
    wchar_t domain[256];
    DWORD domainSize = 256;
    SID_NAME_USE use;
    // The group's name is in the system's language.
    if (getMembers == NULL || freeBuffer == NULL ||
        !CreateWellKnownSid(WinBuiltinAdministratorsSid, NULL, administrators, &sidSize) ||
        !LookupAccountSidW(NULL, administrators, name, &nameSize, domain, &domainSize, &use))
        return;
    LOCALGROUP_MEMBERS_INFO_0* members = NULL;
    DWORD read = 0;
    DWORD total = 0;
    const NET_API_STATUS status =
        getMembers(NULL, name, 0, reinterpret_cast<LPBYTE*>(&members), MAX_PREFERRED_LENGTH, &read, &total, NULL);
    facts.administratorsRead = status == NERR_Success && read == total;
    for (DWORD i = 0; status == NERR_Success && i < read; ++i)
        facts.administrators.push_back(SidText(members[i].lgrmi0_sid));
    if (members != NULL) freeBuffer(members);
}

std::string LocalAccountPrefix()
{
    LSA_OBJECT_ATTRIBUTES attributes = {};
    LSA_HANDLE policy = NULL;
    if (LsaOpenPolicy(NULL, &attributes, POLICY_VIEW_LOCAL_INFORMATION, &policy) != 0) return std::string();
    POLICY_ACCOUNT_DOMAIN_INFO* domain = NULL;
    std::string prefix;
    if (LsaQueryInformationPolicy(policy, PolicyAccountDomainInformation, reinterpret_cast<PVOID*>(&domain)) == 0 &&
        domain != NULL && domain->DomainSid != NULL)
        prefix = SidText(domain->DomainSid) + "-";
    if (domain != NULL) LsaFreeMemory(domain);
    LsaClose(policy);
    return prefix;
}

std::wstring WinlogonValue(HKEY winlogon, const wchar_t* name)
{
    wchar_t value[256];
    DWORD size = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(winlogon, name, NULL, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::wstring();
    value[size / sizeof(wchar_t)] = L'\0';
    return Trimmed(std::wstring(value));
}

// Winlogon's automatic logon, which administrators alone may set; read from the 64-bit view,
// where Windows keeps it.
std::string AutomaticLogonSid()
{
    UniqueKey winlogon;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, winlogon.Put()) != ERROR_SUCCESS ||
        WinlogonValue(winlogon.Get(), L"AutoAdminLogon") != L"1")
        return std::string();
    const std::wstring user = WinlogonValue(winlogon.Get(), L"DefaultUserName");
    const std::wstring domain = WinlogonValue(winlogon.Get(), L"DefaultDomainName");
    if (user.empty()) return std::string();
    BYTE sid[SECURITY_MAX_SID_SIZE];
    return ServiceAccountSid((domain.empty() ? user : domain + L"\\" + user).c_str(), sid) ? SidText(sid)
                                                                                           : std::string();
}

}  // namespace

AccountFacts ReadAccountFacts()
{
    AccountFacts facts;
    ReadAdministrators(facts);
    facts.localAccountPrefix = LocalAccountPrefix();
    facts.automaticLogonSid = AutomaticLogonSid();
    return facts;
}

TaskPrincipal PrincipalOf(const TaskDefinition& definition, const AccountFacts& facts)
{
    if (!definition.userId.empty()) return UserPrincipal(definition.userId, definition.highestAvailable, facts);
    if (!definition.groupId.empty()) return GroupPrincipal(definition.groupId, definition.highestAvailable, facts);
    return Unknown("the account that registers it", definition.highestAvailable);
}
