// Whose stop event the launcher believes, decided on constructed SIDs: on Windows the owner of
// an event a service makes in session 0 is its account's (SYSTEM, Administrators, LocalService,
// NetworkService, its service SID or its configured user), and a standard user can make an
// object owned only by itself; under Wine every program runs as one user, so only constructed
// owners show the decision. SIDs as Microsoft's "Well-known SIDs" list gives them.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "runrules/stopeventowner.h"

namespace {

struct OwnerCase {
    const char* name;
    const char* owner;       // null: none could be read
    const char* configured;  // the service's configured account; null: unknown
    const char* launcher;    // the launcher's own user
    bool mayAnnounce;
};

const char kLauncher[] = "S-1-5-21-1-2-3-1000";
const char kOtherUser[] = "S-1-5-21-1-2-3-1001";

// clang-format off
const OwnerCase kCases[] = {
    {"LocalSystem", "S-1-5-18", nullptr, kLauncher, true},
    {"Administrators", "S-1-5-32-544", nullptr, kLauncher, true},
    {"LocalService", "S-1-5-19", nullptr, kLauncher, true},
    {"NetworkService", "S-1-5-20", nullptr, kLauncher, true},
    {"ServiceSidOfTrustedInstaller", "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", nullptr,
     kLauncher, true},
    {"TheLaunchersOwnUser", kLauncher, nullptr, kLauncher, true},
    {"TheServicesConfiguredUser", kOtherUser, kOtherUser, kLauncher, true},
    {"AnotherUser", kOtherUser, nullptr, kLauncher, false},
    {"AnotherUserThanTheConfiguredOne", kOtherUser, "S-1-5-21-1-2-3-1002", kLauncher, false},
    {"BuiltinUsers", "S-1-5-32-545", nullptr, kLauncher, false},
    {"Everyone", "S-1-1-0", nullptr, kLauncher, false},
    {"AuthenticatedUsers", "S-1-5-11", nullptr, kLauncher, false},
    {"Interactive", "S-1-5-4", nullptr, kLauncher, false},
    {"AGroupOfTheLaunchersDomain", "S-1-5-21-1-2-3-513", nullptr, kLauncher, false},
    {"DomainSidWith80AfterIt", "S-1-5-21-80-1-2-1000", nullptr, kLauncher, false},
    {"EightyUnderAnotherAuthority", "S-1-3-80-1", nullptr, kLauncher, false},
    {"NoOwnerRead", nullptr, nullptr, kLauncher, false},
};
// clang-format on

// A SID from its string form, freed with the object.
class Sid {
public:
    explicit Sid(const char* text)
    {
        if (text != nullptr) {
            EXPECT_TRUE(ConvertStringSidToSidA(text, &sid_)) << text;
        }
    }
    ~Sid() { LocalFree(sid_); }
    Sid(const Sid&) = delete;
    Sid& operator=(const Sid&) = delete;
    PSID get() const { return sid_; }

private:
    PSID sid_ = nullptr;
};

class StopEventOwner : public ::testing::TestWithParam<OwnerCase> {};

TEST_P(StopEventOwner, OnlyAnAccountTheServiceRunsAsMayAnnounceItsStop)
{
    const OwnerCase& row = GetParam();
    Sid owner(row.owner), configured(row.configured), launcher(row.launcher);
    EXPECT_EQ(OwnerMayAnnounceStop(owner.get(), configured.get(), launcher.get()), row.mayAnnounce);
}

INSTANTIATE_TEST_SUITE_P(RunRules, StopEventOwner, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<OwnerCase>& info) { return info.param.name; });

}  // namespace
