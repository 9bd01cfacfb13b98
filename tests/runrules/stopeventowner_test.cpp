// Whose stop event the launcher believes, decided on constructed SIDs and configured account
// names: what the launcher's end-to-end table (StopEventOwnerFit) cannot show, that is
// spellings, virtual accounts, forms of a local user's name, domain names and missing facts.
// On Windows the owner of an event a service makes in session 0 is its account's (SYSTEM or
// Administrators for LocalSystem, LocalService, NetworkService, its service SID or its
// configured user), and a standard user can make an object owned only by itself; under Wine
// every program runs as one user, so only constructed owners show the decision. SIDs as
// Microsoft's "Well-known SIDs" list gives them; service SIDs as published for
// NT SERVICE\TrustedInstaller and NT SERVICE\MSSQLSERVER.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>

#include "runrules/servicesid.h"
#include "runrules/stopeventowner.h"
#include "tests/testservice/ownusersid.h"

namespace {

const char kTrustedInstaller[] = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
const char kMsSqlServer[] = "S-1-5-80-3880718306-3832830129-1677859214-2598158968-1052248003";
// Replaced by the SID of this program's user, whose name replaces {user}; {computer} is this
// computer's name.
const char kMe[] = "{me}";

struct OwnerCase {
    const char* name;
    const char* owner;  // null: none could be read
    const char* service;
    const wchar_t* account;  // the service's configured account; null: the configuration is unreadable
    EventOwner expected;
};

// clang-format off
const OwnerCase kCases[] = {
    {"LocalSystemUnderItsAccountName", "S-1-5-18", "Svc", L"nt authority\\system", EventOwner::kService},
    {"BuiltinUsersForLocalSystem", "S-1-5-32-545", "Svc", L"localsystem", EventOwner::kForeign},
    {"EveryoneForLocalSystem", "S-1-1-0", "Svc", L"LocalSystem", EventOwner::kForeign},

    {"LocalServiceUnderItsAccountName", "S-1-5-19", "Svc", L"nt authority\\local service", EventOwner::kService},
    {"NetworkServiceUnderItsAccountName", "S-1-5-20", "Svc", L"NT AUTHORITY\\NETWORK SERVICE", EventOwner::kService},

    {"ItsOwnServiceSid", kTrustedInstaller, "TrustedInstaller", L"LocalSystem", EventOwner::kService},
    {"ItsOwnServiceSidInAnySpelling", kTrustedInstaller, "trustedINSTALLER", L"NT AUTHORITY\\LocalService",
     EventOwner::kService},
    {"ItsOwnServiceSidUnderADomainAccount", kMsSqlServer, "MSSQLSERVER", L"ZSTDOMAIN\\svc", EventOwner::kService},
    {"ItsOwnServiceSidWithoutConfiguration", kMsSqlServer, "MSSQLSERVER", nullptr, EventOwner::kService},
    {"AllServicesGroup", "S-1-5-80-0", "Svc", L"LocalSystem", EventOwner::kForeign},
    {"ItsVirtualAccount", kMsSqlServer, "Svc", L"NT SERVICE\\mssqlserver", EventOwner::kService},
    {"AnotherVirtualAccount", kTrustedInstaller, "Svc", L"NT SERVICE\\MSSQLSERVER", EventOwner::kForeign},

    {"TheLaunchersUserUnderThisComputersName", kMe, "Svc", L"{computer}\\{user}", EventOwner::kService},
    {"TheLaunchersUserWithoutDomain", kMe, "Svc", L"{user}", EventOwner::kService},
    {"NoSuchLocalUser", kMe, "Svc", L".\\zstNoSuchUser", EventOwner::kUnproven},

    {"DomainAccountIsNeverLookedUp", kMe, "Svc", L"ZSTDOMAIN\\{user}", EventOwner::kUnproven},
    {"UserPrincipalNameIsNeverLookedUp", kMe, "Svc", L"{user}@zst.example", EventOwner::kUnproven},
    {"ConfigurationUnreadable", "S-1-5-18", "Svc", nullptr, EventOwner::kUnproven},
    {"NoOwnerRead", nullptr, "Svc", L"LocalSystem", EventOwner::kUnreadable},
};
// clang-format on

// A SID from its string form, freed with the object.
class Sid {
public:
    explicit Sid(const std::string& text)
    {
        if (!text.empty()) {
            EXPECT_TRUE(ConvertStringSidToSidA(text.c_str(), &sid_)) << text;
        }
    }
    ~Sid() { LocalFree(sid_); }
    Sid(const Sid&) = delete;
    Sid& operator=(const Sid&) = delete;
    PSID get() const { return sid_; }

private:
    PSID sid_ = nullptr;
};

std::wstring Replaced(std::wstring text, const std::wstring& field, const std::wstring& value)
{
    for (size_t at; (at = text.find(field)) != std::wstring::npos;) text.replace(at, field.size(), value);
    return text;
}

// The account with {user} and {computer} filled in.
std::wstring AccountText(const wchar_t* account)
{
    wchar_t user[257];
    DWORD userSize = 257;
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD computerSize = MAX_COMPUTERNAME_LENGTH + 1;
    EXPECT_TRUE(GetUserNameW(user, &userSize));
    EXPECT_TRUE(GetComputerNameW(computer, &computerSize));
    return Replaced(Replaced(account, L"{user}", user), L"{computer}", computer);
}

class StopEventOwner : public ::testing::TestWithParam<OwnerCase> {};

TEST_P(StopEventOwner, OnlyTheAccountTheServiceRunsAsMayAnnounceItsStop)
{
    const OwnerCase& row = GetParam();
    const std::string ownerText = row.owner == nullptr ? "" : row.owner == kMe ? OwnUserSid() : row.owner;
    Sid owner(ownerText);
    const std::wstring account = row.account == nullptr ? L"" : AccountText(row.account);
    EXPECT_EQ(JudgeEventOwner(owner.get(), row.service, row.account == nullptr ? nullptr : account.c_str()),
              row.expected);
}

INSTANTIATE_TEST_SUITE_P(RunRules, StopEventOwner, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<OwnerCase>& info) { return info.param.name; });

struct ServiceSidCase {
    const char* name;
    std::wstring service;
    const char* expected;  // null: no SID
};

const ServiceSidCase kServiceSids[] = {
    {"TrustedInstaller", L"TrustedInstaller", kTrustedInstaller},
    {"AnySpellingIsOneSid", L"TRUSTEDinstaller", kTrustedInstaller},
    {"MsSqlServer", L"MSSQLSERVER", kMsSqlServer},
    {"EmptyNameIsNoService", L"", nullptr},
    {"LongestServiceName", std::wstring(256, L'a'), "S-1-5-80-"},
    {"LongerThanAServiceName", std::wstring(257, L'a'), nullptr},
};

class ServiceSid : public ::testing::TestWithParam<ServiceSidCase> {};

TEST_P(ServiceSid, IsTheDigestOfTheUpperCasedName)
{
    const ServiceSidCase& row = GetParam();
    BYTE sid[SECURITY_MAX_SID_SIZE] = {};
    ASSERT_EQ(ServiceSidOf(row.service.c_str(), sid), row.expected != nullptr);
    if (row.expected == nullptr) return;
    char* text = nullptr;
    ASSERT_TRUE(ConvertSidToStringSidA(sid, &text));
    const std::string actual = text;
    LocalFree(text);
    // Only a prefix for the longest name: that it has one, with the digest's five words after it.
    const std::string expected = row.expected;
    EXPECT_EQ(actual.substr(0, expected.size()), expected);
    EXPECT_EQ(*GetSidSubAuthorityCount(sid), 6);
}

INSTANTIATE_TEST_SUITE_P(RunRules, ServiceSid, ::testing::ValuesIn(kServiceSids),
                         [](const ::testing::TestParamInfo<ServiceSidCase>& info) { return info.param.name; });

}  // namespace
