// Who a task runs as and what each listed service lets it do, decided on principals written
// from Microsoft's Task Scheduler schema and on service descriptors built from SDDL: Wine's
// service manager reports an empty DACL for every service and keeps none that is set, and
// lists no member of Administrators, so only constructed input can show the decisions.
// The service descriptor is the one Windows gives a service created with sc create (sc sdshow):
// SYSTEM and Administrators may do everything; INTERACTIVE and SERVICE may query its
// configuration and status, list dependents, interrogate it, send it its own controls and read
// its permissions, but neither start (RP) nor stop (WP) it.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checker/task/comobjects.h"
#include "checker/task/servicerights.h"
#include "checker/task/taskjudgement.h"
#include "runrules/servicehandles.h"
#include "tests/checker/builtdescriptor.h"

namespace {

const wchar_t kLauncher[] = L"C:\\Program Files\\zStartup\\zStartup.exe";
const char kDefaultService[] =
    "D:(A;;CCLCSWRPWPDTLOCRRC;;;SY)(A;;CCDCLCSWRPWPDTLOCRSDRCWDWO;;;BA)(A;;CCLCSWLOCRRC;;;IU)(A;;CCLCSWLOCRRC;;;SU)";
const char kBatch[] = "C:\\Program Files\\zStartup\\zStartup.bat";
// This computer's accounts, and one of another domain.
const char kLocalPrefix[] = "S-1-5-21-1-2-3-";
const char kKiosk[] = "S-1-5-21-1-2-3-1001";
const char kOtherKiosk[] = "S-1-5-21-1-2-3-1002";
const char kLocalAdministrator[] = "S-1-5-21-1-2-3-500";
const char kDomainUser[] = "S-1-5-21-7-7-7-1001";
const char kDomainAdmins[] = "S-1-5-21-7-7-7-512";

std::vector<BYTE> DescriptorBytes(const std::string& sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ULONG size = 0;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &descriptor, &size))
        return std::vector<BYTE>();
    const BYTE* bytes = static_cast<const BYTE*>(descriptor);
    std::vector<BYTE> copy(bytes, bytes + size);
    LocalFree(descriptor);
    return copy;
}

ServiceNeed Service(const std::string& sddl, DWORD readError = 0)
{
    ServiceNeed need;
    need.name = "ShowPlayer";
    need.rights = kStopAccess | kStartAccess;
    need.readError = readError;
    if (readError == 0) need.descriptor = DescriptorBytes(sddl);
    return need;
}

AccountFacts Facts(std::vector<std::string> administrators, const std::string& automaticLogon = "")
{
    AccountFacts facts;
    facts.administratorsRead = true;
    facts.administrators = administrators;
    facts.localAccountPrefix = kLocalPrefix;
    facts.automaticLogonSid = automaticLogon;
    return facts;
}

const AccountFacts kNoAdministrator = Facts({kLocalAdministrator});

std::wstring User(const std::string& sid, const wchar_t* runLevel)
{
    return L"<UserId>" + std::wstring(sid.begin(), sid.end()) + L"</UserId><RunLevel>" + runLevel + L"</RunLevel>";
}

std::wstring Group(const wchar_t* sid, const wchar_t* runLevel)
{
    return L"<GroupId>" + std::wstring(sid) + L"</GroupId><RunLevel>" + runLevel + L"</RunLevel>";
}

const wchar_t kHighest[] = L"HighestAvailable";
const wchar_t kLeast[] = L"LeastPrivilege";

struct Expected {
    Severity severity;
    std::string code;
    bool operator==(const Expected& other) const { return severity == other.severity && code == other.code; }
};

const Expected kSessionZero = {Severity::kWarning, "task.session-0"};
const Expected kRightsError = {Severity::kError, "task.service-rights"};
const Expected kRightsWarning = {Severity::kWarning, "task.service-rights"};
const Expected kNotElevated = {Severity::kError, "task.not-elevated"};

void PrintTo(const Expected& expected, std::ostream* out)
{
    *out << static_cast<int>(expected.severity) << " " << expected.code;
}

struct PrincipalCase {
    const char* name;
    std::wstring principal;  // the Principal element's content
    AccountFacts facts;
    std::vector<Expected> findings;
    std::vector<ServiceNeed> services = {Service(kDefaultService)};
    std::string batch = kBatch;
};

// clang-format off
const PrincipalCase kPrincipalCases[] = {
    // LocalSystem runs elevated whatever its RunLevel, in session 0.
    {"LocalSystemInSessionZero", L"<UserId>S-1-5-18</UserId>", kNoAdministrator, {kSessionZero}},
    {"LocalSystemByName", L"<UserId>SYSTEM</UserId>", kNoAdministrator, {kSessionZero}},
    {"LocalSystemByFullName", L"<UserId>NT AUTHORITY\\SYSTEM</UserId>", kNoAdministrator, {kSessionZero}},
    {"NoBatchFileNothingToShow", L"<UserId>S-1-5-18</UserId>", kNoAdministrator, {}, {Service(kDefaultService)}, ""},
    // A service account is never elevated, and its token lacks INTERACTIVE.
    {"LocalServiceNotElevatedByHighestAvailable", User("S-1-5-19", kHighest), kNoAdministrator,
     {kSessionZero, kRightsError}},
    {"NetworkServiceByName", L"<UserId>NT AUTHORITY\\NETWORK SERVICE</UserId>", kNoAdministrator,
     {kSessionZero, kRightsError}},
    {"VirtualServiceAccount", L"<UserId>NT SERVICE\\ShowPlayer</UserId>", kNoAdministrator,
     {kSessionZero, kRightsError}},
    // A group: judged for a member who is no administrator; HighestAvailable elevates the others.
    {"UsersWithHighestAvailable", Group(L"S-1-5-32-545", kHighest), kNoAdministrator, {kRightsWarning}},
    {"UsersWithLeastPrivilege", Group(L"S-1-5-32-545", kLeast), kNoAdministrator, {kRightsError}},
    {"UsersByName", Group(L"BUILTIN\\Users", kHighest), kNoAdministrator, {kRightsWarning}},
    {"InteractiveGroup", Group(L"S-1-5-4", kHighest), kNoAdministrator, {kRightsWarning}},
    {"AdministratorsWithHighestAvailable", Group(L"S-1-5-32-544", kHighest), kNoAdministrator, {}},
    {"AdministratorsWithLeastPrivilege", Group(L"S-1-5-32-544", kLeast), kNoAdministrator, {kRightsError}},
    // A named user: an administrator when Administrators holds it or a group its token carries.
    {"AdministratorWithHighestAvailable", User(kKiosk, kHighest), Facts({kLocalAdministrator, kKiosk}), {}},
    {"AdministratorWithLeastPrivilege", User(kKiosk, kLeast), Facts({kKiosk}), {kRightsError}},
    {"StandardUserWithHighestAvailable", User(kKiosk, kHighest), kNoAdministrator, {kRightsError}},
    {"EveryoneAmongAdministrators", User(kKiosk, kHighest), Facts({"S-1-1-0"}), {}},
    // Only a domain controller knows who a domain group holds, and only a domain account can be in it.
    {"DomainUserBesideADomainGroup", User(kDomainUser, kHighest), Facts({kLocalAdministrator, kDomainAdmins}),
     {kRightsWarning}},
    {"LocalUserBesideADomainGroup", User(kKiosk, kHighest), Facts({kLocalAdministrator, kDomainAdmins}),
     {kRightsError}},
    {"AdministratorsUnread", User(kKiosk, kHighest), AccountFacts(), {kRightsWarning}},
    // The member who logs on automatically is the one a logon runs it for.
    {"UsersWithAnAdministratorLoggingOn", Group(L"S-1-5-32-545", kHighest), Facts({kKiosk}, kKiosk), {}},
    {"UsersWithAStandardUserLoggingOn", Group(L"S-1-5-32-545", kHighest), Facts({kLocalAdministrator}, kOtherKiosk),
     {kRightsError}},
    {"OwnGroupIsJudgedForAStandardMember", Group(L"S-1-5-21-1-2-3-2001", kHighest), Facts({kKiosk}, kKiosk),
     {kRightsWarning}},
    // An account this computer cannot name: its rights cannot be judged.
    {"NoPrincipal", L"", kNoAdministrator, {kNotElevated}},
    {"NoPrincipalWithHighestAvailable", L"<RunLevel>HighestAvailable</RunLevel>", kNoAdministrator, {}},
    {"DomainNameNotLookedUp", L"<UserId>ZSTDOMAIN\\kiosk</UserId>", kNoAdministrator, {kNotElevated}},
    // The services decide.
    {"ServiceGrantingUsers", Group(L"S-1-5-32-545", kLeast), kNoAdministrator, {},
     {Service(std::string(kDefaultService) + "(A;;RPWP;;;BU)")}},
    {"ServiceGrantingTheKiosk", User(kKiosk, kHighest), kNoAdministrator, {},
     {Service(std::string(kDefaultService) + "(A;;LCRPWP;;;" + kKiosk + ")")}},
    {"NoServiceListed", Group(L"S-1-5-32-545", kLeast), kNoAdministrator, {}, {}},
    {"DescriptorUnreadable", Group(L"S-1-5-32-545", kHighest), kNoAdministrator, {kRightsError},
     {Service("", ERROR_ACCESS_DENIED)}},
    {"TwoServicesRefusing", User(kKiosk, kLeast), kNoAdministrator, {kRightsError, kRightsError},
     {Service(kDefaultService), Service("D:")}},
};
// clang-format on

std::wstring Definition(const std::wstring& principal)
{
    return L"<Task xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><Triggers><LogonTrigger/>"
           L"</Triggers><Principals><Principal id=\"Author\">" +
           principal +
           L"</Principal></Principals><Settings><DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
           L"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries></Settings><Actions><Exec><Command>" +
           kLauncher + L"</Command></Exec></Actions></Task>";
}

CheckReport Judged(const PrincipalCase& row)
{
    TaskDefinition definition;
    std::string why;
    EXPECT_TRUE(ParseTaskDefinition(Definition(row.principal), definition, why)) << why;
    TaskSituation situation;
    situation.launcher = kLauncher;
    situation.batch = row.batch;
    situation.services = row.services;
    situation.accounts = row.facts;
    CheckReport report;
    JudgeTaskFile(definition, "zStartup.task.xml", situation, report);
    return report;
}

class TaskPrincipalJudgement : public ::testing::TestWithParam<PrincipalCase> {
protected:
    const UniqueComApartment apartment_ = EnterComApartment();
};

TEST_P(TaskPrincipalJudgement, GivesTheDocumentedFindings)
{
    const CheckReport report = Judged(GetParam());
    std::vector<Expected> findings;
    for (const Finding& finding : report.Findings()) findings.push_back({finding.severity, finding.code});
    EXPECT_EQ(findings, GetParam().findings);
}

std::string PrincipalName(const ::testing::TestParamInfo<PrincipalCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Schema, TaskPrincipalJudgement, ::testing::ValuesIn(kPrincipalCases), PrincipalName);

class ServiceRightsMessage : public TaskPrincipalJudgement {};

// INTERACTIVE may query the status already: the entry adds start (RP) and stop (WP), for the
// user who logs on.
TEST_F(ServiceRightsMessage, NamesTheServiceTheAccountTheRightsAndTheLine)
{
    const PrincipalCase row = {
        "", Group(L"S-1-5-32-545", kHighest), Facts({kLocalAdministrator}, kOtherKiosk), {kRightsError}};
    const CheckReport report = Judged(row);
    ASSERT_EQ(report.Findings().size(), 1u);
    const std::string& message = report.Findings()[0].message;
    EXPECT_NE(message.find("service ShowPlayer does not grant it start, stop"), std::string::npos) << message;
    EXPECT_NE(message.find(std::string(kOtherKiosk) + ", who logs on automatically, as a member of group S-1-5-32-545"),
              std::string::npos)
        << message;
    EXPECT_NE(
        message.find("sc sdset ShowPlayer \"" + std::string(kDefaultService) + "(A;;RPWP;;;" + kOtherKiosk + ")\""),
        std::string::npos)
        << message;
}

// -- the DACL walked as Windows' access check walks it

struct AccessCase {
    const char* name;
    std::string sddl;
    std::vector<std::string> denyOnly;
    DWORD granted;  // of query status (0x4), start (0x10) and stop (0x20)
};

const DWORD kAll = SERVICE_QUERY_STATUS | SERVICE_START | SERVICE_STOP;
// A standard user's interactive token: the user, Users, INTERACTIVE, Authenticated Users, Everyone.
const std::vector<std::string> kStandardToken = {kKiosk, "S-1-5-32-545", "S-1-5-4", "S-1-5-11", "S-1-1-0"};

// clang-format off
const AccessCase kAccessCases[] = {
    {"EmptyDaclGrantsNothing", "D:", {}, 0},
    {"WindowsDefaultGrantsQueryOnly", kDefaultService, {}, SERVICE_QUERY_STATUS},
    {"EntryForTheUser", std::string("D:(A;;LCRPWP;;;") + kKiosk + ")", {}, kAll},
    {"EntryForAnotherUser", "D:(A;;LCRPWP;;;S-1-5-21-9-9-9-1001)", {}, 0},
    {"EveryoneEntry", "D:(A;;LCRPWP;;;WD)", {}, kAll},
    {"DenyBeforeAllow", "D:(D;;WP;;;BU)(A;;LCRPWP;;;BU)", {}, SERVICE_QUERY_STATUS | SERVICE_START},
    {"AllowBeforeDeny", "D:(A;;LCRPWP;;;BU)(D;;WP;;;BU)", {}, kAll},
    {"DenyOnlyAdministratorsStillDenies", "D:(D;;WP;;;BA)(A;;LCRPWP;;;BU)", {"S-1-5-32-544"},
     SERVICE_QUERY_STATUS | SERVICE_START},
    {"DenyOnlyAdministratorsGrantsNothing", "D:(A;;LCRPWP;;;BA)", {"S-1-5-32-544"}, 0},
    {"InheritOnlyEntryIgnored", "D:(A;IO;LCRPWP;;;BU)", {}, 0},
    // The generic rights of a service (Microsoft, "Service Security and Access Rights"): execute
    // is start, stop, pause and own controls; read is configuration, status, dependents, interrogate.
    {"GenericExecuteIsStartAndStop", "D:(A;;GX;;;BU)", {}, SERVICE_START | SERVICE_STOP},
    {"GenericReadIsQueryStatus", "D:(A;;GR;;;BU)", {}, SERVICE_QUERY_STATUS},
    {"GenericAllIsEverything", "D:(A;;GA;;;BU)", {}, kAll},
};
// clang-format on

class ServiceAccess : public ::testing::TestWithParam<AccessCase> {};

TEST_P(ServiceAccess, IsDecidedEntryByEntry)
{
    std::vector<BYTE> descriptor = DescriptorBytes(GetParam().sddl);
    ASSERT_FALSE(descriptor.empty()) << GetParam().sddl;
    EXPECT_EQ(GrantedServiceRights(descriptor.data(), kStandardToken, GetParam().denyOnly, kAll), GetParam().granted);
}

std::string AccessName(const ::testing::TestParamInfo<AccessCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Sddl, ServiceAccess, ::testing::ValuesIn(kAccessCases), AccessName);

// Entries Wine's SDDL parser does not take: a conditional allow may not apply, so it grants
// nothing; a conditional or object deny may, so it denies.
// Wine's SDDL parser reads D:NO_ACCESS_CONTROL as an empty DACL: a null one is made by hand.
TEST(ServiceAccessBuilt, NullDaclGrantsEverything)
{
    SECURITY_DESCRIPTOR descriptor;
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE));
    EXPECT_EQ(GrantedServiceRights(&descriptor, kStandardToken, {}, kAll), kAll);
}

TEST(ServiceAccessBuilt, ConditionalAllowGrantsNothing)
{
    BuiltDescriptor descriptor({CallbackAce(ACCESS_ALLOWED_CALLBACK_ACE_TYPE, kAll, "S-1-5-32-545", true)});
    EXPECT_EQ(GrantedServiceRights(descriptor.Get(), kStandardToken, {}, kAll), 0u);
}

TEST(ServiceAccessBuilt, ConditionalDenyDenies)
{
    BuiltDescriptor descriptor({CallbackAce(ACCESS_DENIED_CALLBACK_ACE_TYPE, SERVICE_STOP, "S-1-5-32-545", true),
                                PlainAce(ACCESS_ALLOWED_ACE_TYPE, kAll, "S-1-5-32-545")});
    EXPECT_EQ(GrantedServiceRights(descriptor.Get(), kStandardToken, {}, kAll), SERVICE_QUERY_STATUS | SERVICE_START);
}

TEST(ServiceAccessBuilt, ObjectDenyDenies)
{
    BuiltDescriptor descriptor({ObjectAce(ACCESS_DENIED_OBJECT_ACE_TYPE, SERVICE_STOP, "S-1-5-32-545"),
                                PlainAce(ACCESS_ALLOWED_ACE_TYPE, kAll, "S-1-5-32-545")});
    EXPECT_EQ(GrantedServiceRights(descriptor.Get(), kStandardToken, {}, kAll), SERVICE_QUERY_STATUS | SERVICE_START);
}

// Microsoft, "How DACLs Control Access to an Object": an entry counts only for a token that
// holds its SID, whatever its kind.
TEST(ServiceAccessBuilt, ObjectDenyForAnotherAccountDeniesNothing)
{
    BuiltDescriptor descriptor({ObjectAce(ACCESS_DENIED_OBJECT_ACE_TYPE, SERVICE_STOP, "S-1-5-21-9-9-9-1001"),
                                PlainAce(ACCESS_ALLOWED_ACE_TYPE, kAll, "S-1-5-32-545")});
    EXPECT_EQ(GrantedServiceRights(descriptor.Get(), kStandardToken, {}, kAll), kAll);
}

TEST(ServiceRightsText, InSddlAndWords)
{
    EXPECT_EQ(ServiceRightsSddl(kAll), "LCRPWP");
    EXPECT_EQ(ServiceRightsInWords(kAll), "query status, start, stop");
    std::vector<BYTE> descriptor = DescriptorBytes("D:P(A;;CCLCSWLOCRRC;;;IU)");
    EXPECT_EQ(SddlWithEntry(descriptor.data(), SERVICE_START | SERVICE_STOP, "S-1-5-32-545"),
              "D:P(A;;CCLCSWLOCRRC;;;IU)(A;;RPWP;;;S-1-5-32-545)");
}

}  // namespace
