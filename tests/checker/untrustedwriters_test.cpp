// Who may change a folder or file, decided on security descriptors written as SDDL: Wine's
// own files all belong to the user and keep no permissions that are set, so the descriptors
// Windows folders really have can only be built.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "checker/rights/folderrenamers.h"
#include "checker/rights/untrustedwriters.h"
#include "tests/checker/builtdescriptor.h"

bool operator==(const UntrustedWriter& a, const UntrustedWriter& b)
{
    return a.sid == b.sid && a.rights == b.rights && a.unevaluated == b.unevaluated;
}

void PrintTo(const UntrustedWriter& writer, std::ostream* out)
{
    *out << writer.sid << " 0x" << std::hex << writer.rights << (writer.unevaluated ? " unevaluated" : "");
}

bool operator==(const RenameRight& a, const RenameRight& b)
{
    return a.sid == b.sid && a.onFolder == b.onFolder && a.onParent == b.onParent;
}

bool operator==(const Renamer& a, const Renamer& b) { return a.account == b.account && a.through == b.through; }

bool operator==(const RenamedFolder& a, const RenamedFolder& b)
{
    return a.index == b.index && a.renamers == b.renamers;
}

void PrintTo(const RenamedFolder& folder, std::ostream* out)
{
    *out << "folder " << folder.index << ":";
    for (const Renamer& renamer : folder.renamers) {
        *out << " [" << (renamer.account.empty() ? "every user" : renamer.account) << " through";
        for (const RenameRight& right : renamer.through)
            *out << " " << right.sid << " 0x" << std::hex << right.onFolder << "/0x" << right.onParent << std::dec;
        *out << "]";
    }
}

namespace {

const char kUser[] = "S-1-5-21-1004336348-1177238915-682003330-1001";
const DWORD kAll = kChangingRights;

struct DescriptorCase {
    const char* name;
    // "" for a null DACL, which Wine's parser does not make of "D:NO_ACCESS_CONTROL"
    std::string sddl;
    std::vector<UntrustedWriter> writers;
    DWORD ofInterest = kChangingRights;
};

const std::string kTrustedInstaller = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// clang-format off
const DescriptorCase kCases[] = {
    {"ProgramFilesIsAdministratorsOnly",
     "O:" + kTrustedInstaller + "D:P(A;CI;FA;;;" + kTrustedInstaller +
         ")(A;OICIIO;GA;;;CO)(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;OICI;0x1200a9;;;AC)",
     {}},
    {"ProfileFolderBelongsToItsUser",
     std::string("O:") + kUser + "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" + kUser + ")",
     {{kUser, kAll}}},
    {"EveryoneMayWrite", "O:BAD:(A;;FA;;;BA)(A;;0x1301bf;;;WD)",
     {{"S-1-1-0", FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE}}},
    {"GenericWriteForAuthenticatedUsers", "O:BAD:(A;;GW;;;AU)", {{"S-1-5-11", FILE_WRITE_DATA | FILE_APPEND_DATA}}},
    {"ChangingPermissionsIsEnough", "O:BAD:(A;;0x00040000;;;IU)", {{"S-1-5-4", WRITE_DAC}}},
    {"DeletingIsEnough", "O:BAD:(A;;SD;;;BU)", {{"S-1-5-32-545", DELETE}}},
    {"ReadingIsNot", "O:BAD:(A;;FR;;;BU)(A;;FX;;;WD)", {}},
    {"InheritOnlyEntryDoesNotApplyHere", "O:BAD:(A;OICIIO;FA;;;AU)(A;;FA;;;SY)", {}},
    {"CreatorOwnerAndGroupInAnEntryThatAppliesMatchNoOne", "O:BAD:(A;;FA;;;CO)(A;;FA;;;CG)", {}},
    {"DenyBeforeAllowTakesTheRights", "O:BAD:(D;;0x6;;;BU)(A;;0x1201bf;;;BU)", {}},
    {"DenyForEveryoneCoversEveryAccount", "O:BAD:(D;;FA;;;WD)(A;;FA;;;BU)", {}},
    {"DenyForOneAccountLeavesTheOthers", "O:BAD:(D;;FA;;;BU)(A;;FA;;;AU)", {{"S-1-5-11", kAll}}},
    {"AllowBeforeDenyKeepsTheRights", "O:BAD:(A;;FA;;;BU)(D;;FA;;;BU)", {{"S-1-5-32-545", kAll}}},
    {"OwnerMayChangePermissions", std::string("O:") + kUser + "D:(A;;FA;;;SY)", {{kUser, WRITE_DAC}}},
    {"OwnerRightsEntryLimitsTheOwner", std::string("O:") + kUser + "D:(A;;FR;;;S-1-3-4)(A;;FA;;;SY)", {}},
    {"NullDaclLetsEveryoneIn", "", {{"S-1-1-0", kAll}}},
    // Tokens without the denied group: Anonymous Logon lacks Everyone (ImpersonateAnonymousToken:
    // unless EveryoneIncludesAnonymous is set); Authenticated Users never includes Guest, and
    // Users holds INTERACTIVE, so an interactive Guest too ("Security identifiers").
    {"DenyForEveryoneLeavesAnonymousLogon", "O:BAD:(D;;FA;;;WD)(A;;FA;;;AN)", {{"S-1-5-7", kAll}}},
    {"DenyForAuthenticatedUsersLeavesGuests", "O:BAD:(D;;FA;;;AU)(A;;FA;;;BG)", {{"S-1-5-32-546", kAll}}},
    {"DenyForAuthenticatedUsersLeavesTheGuestAccount", "O:BAD:(D;;FA;;;AU)(A;;SD;;;S-1-5-21-1-2-3-501)",
     {{"S-1-5-21-1-2-3-501", DELETE}}},
    {"DenyForAuthenticatedUsersLeavesUsers", "O:BAD:(D;;FA;;;AU)(A;;SD;;;BU)", {{"S-1-5-32-545", DELETE}}},
    {"DenyForAuthenticatedUsersCoversAUser", std::string("O:BAD:(D;;FA;;;AU)(A;;FA;;;") + kUser + ")", {}},
    // Write attributes (0x100) sets a file's times (SetFileTime), not what it holds.
    {"SettingTimesChangesNoContent", "O:BAD:(A;;0x100;;;BU)", {}},
    {"SettingTimesCountsForTheLog", "O:BAD:(A;;0x100;;;BU)", {{"S-1-5-32-545", FILE_WRITE_ATTRIBUTES}},
     kLogChangingRights},
    {"GenericWriteSetsTheLogsTimes", "O:BAD:(A;;GW;;;AU)",
     {{"S-1-5-11", FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES}}, kLogChangingRights},
};
// clang-format on

// clang-format off
const DescriptorCase kNewFileCases[] = {
    {"InheritOnlyEntryForFilesPasses", "O:BAD:P(A;OICI;FA;;;BA)(A;OIIO;0x1301bf;;;BU)",
     {{"S-1-5-32-545", FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE}}},
    {"EntryForFoldersOnlyDoesNotPass", "O:BAD:(A;CIIO;FA;;;BU)(A;OICI;0x1200a9;;;BU)(A;OI;GW;;;IU)",
     {{"S-1-5-4", FILE_WRITE_DATA | FILE_APPEND_DATA}}},
    {"CreatorNotFolderOwnerOwnsIt", std::string("O:") + kUser + "D:(A;OICIIO;FA;;;CO)(A;OI;SD;;;AU)",
     {{"S-1-5-11", DELETE}}},
    {"SettingTimesOfNewFilesChangesNoContent", "O:BAD:(A;OICI;FA;;;BA)(A;OIIO;0x100;;;BU)", {}},
    {"SettingTimesOfNewFilesCountsForTheLog", "O:BAD:(A;OICI;FA;;;BA)(A;OIIO;0x100;;;BU)",
     {{"S-1-5-32-545", FILE_WRITE_ATTRIBUTES}}, kLogChangingRights},
};
// clang-format on

struct BuiltCase {
    const char* name;
    std::vector<std::string> aces;
    std::vector<UntrustedWriter> writers;
};

const DWORD kModify = 0x1301bf;
const DWORD kModifyChanging = FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE;

// clang-format off
const BuiltCase kBuiltCases[] = {
    {"ConditionalAllowGrantsItsRights", {CallbackAce(ACCESS_ALLOWED_CALLBACK_ACE_TYPE, FILE_ALL_ACCESS, "BU", true)},
     {{"S-1-5-32-545", kAll, true}}},
    {"CallbackAllowGrantsItsRights", {CallbackAce(ACCESS_ALLOWED_CALLBACK_ACE_TYPE, kModify, "AU", false)},
     {{"S-1-5-11", kModifyChanging, true}}},
    {"ObjectAllowGrantsItsRights", {ObjectAce(ACCESS_ALLOWED_OBJECT_ACE_TYPE, kModify, "BU")},
     {{"S-1-5-32-545", kModifyChanging, true}}},
    {"CallbackObjectAllowGrantsItsRights", {ObjectAce(ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE, WRITE_DAC, "WD")},
     {{"S-1-1-0", WRITE_DAC, true}}},
    {"ConditionalDenyIsIgnored",
     {CallbackAce(ACCESS_DENIED_CALLBACK_ACE_TYPE, FILE_ALL_ACCESS, "BU", true),
      PlainAce(ACCESS_ALLOWED_ACE_TYPE, kModify, "BU")},
     {{"S-1-5-32-545", kModifyChanging}}},
    {"ObjectDenyIsIgnored",
     {ObjectAce(ACCESS_DENIED_OBJECT_ACE_TYPE, FILE_ALL_ACCESS, "WD"), PlainAce(ACCESS_ALLOWED_ACE_TYPE, DELETE, "BU")},
     {{"S-1-5-32-545", DELETE}}},
    {"PlainDenyStillHoldsBeforeAConditionalAllow",
     {PlainAce(ACCESS_DENIED_ACE_TYPE, FILE_ALL_ACCESS, "BU"),
      CallbackAce(ACCESS_ALLOWED_CALLBACK_ACE_TYPE, FILE_ALL_ACCESS, "BU", true)},
     {}},
};
// clang-format on

const char kAU[] = "S-1-5-11";
const char kBU[] = "S-1-5-32-545";
const char kIU[] = "S-1-5-4";
const std::string kOther = "S-1-5-21-1004336348-1177238915-682003330-1002";
// Windows' default C:\ (Authenticated Users may add folders to it and modify what is made in
// it), a folder an administrator made there, which inherits that, and a protected folder.
const std::string kDefaultDriveC =
    "O:SYD:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)(A;OICIIO;SDGXGWGR;;;AU)(A;;LC;;;AU)";
const std::string kMadeInDriveC =
    "O:BAD:AI(A;OICIID;FA;;;BA)(A;OICIID;FA;;;SY)(A;OICIID;0x1200a9;;;BU)(A;ID;0x1301bf;;;AU)"
    "(A;OICIIOID;SDGXGWGR;;;AU)";
const std::string kAdministratorsOnly = "O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

struct ChainCase {
    const char* name;
    std::vector<std::string> chain;  // the launcher's folder first, its root last
    std::vector<RenamedFolder> renamed;
};

// clang-format off
const ChainCase kChainCases[] = {
    {"FolderMadeInDefaultDriveC", {kAdministratorsOnly, kMadeInDriveC, kDefaultDriveC},
     {{1, {{"", {{kAU, DELETE, FILE_ADD_SUBDIRECTORY}}}}}}},
    {"DeleteChildOnTheParentIsEnough", {kAdministratorsOnly, "O:BAD:(A;;0x40;;;BU)", kAdministratorsOnly},
     {{0, {{"", {{kBU, 0, FILE_DELETE_CHILD}}}}}}},
    {"SignedInGroupsMakeAPairForEveryUser",
     {kAdministratorsOnly, std::string("O:BAD:(A;;SD;;;BU)(A;;SD;;;") + kUser + ")",
      std::string("O:BAD:(A;;0x4;;;IU)(A;;0x4;;;") + kUser + ")"},
     {{1, {{"", {{kBU, DELETE, 0}, {kIU, 0, FILE_ADD_SUBDIRECTORY}}}}}}},
    {"AccountDeletesAndSignedInGroupAdds",
     {kAdministratorsOnly, std::string("O:BAD:(A;;SD;;;") + kUser + ")", kDefaultDriveC},
     {{1, {{kUser, {{kUser, DELETE, 0}, {kAU, 0, FILE_ADD_SUBDIRECTORY}}}}}}},
    {"OwnerOfTheParentMayGiveItselfDeleteChild",
     {kAdministratorsOnly, std::string("O:") + kUser + "D:(A;OICI;FA;;;BA)", kAdministratorsOnly},
     {{0, {{kUser, {{kUser, 0, FILE_DELETE_CHILD}}}}}}},
    {"RightsOnFoldersApartMakeNoPair",
     {kAdministratorsOnly, "O:BAD:(A;;SD;;;BU)", "O:BAD:(A;;0x40;;;" + kOther + ")", "O:BAD:(A;;0x4;;;BU)"},
     {{1, {{kOther, {{kOther, 0, FILE_DELETE_CHILD}}}}}}},
    {"AccountIsNamedOnceAndNotWhenItMayChangeTheLauncherFolder",
     {std::string("O:BAD:(A;;FA;;;BA)(A;;FA;;;") + kUser + ")",
      std::string("O:BAD:(A;;FA;;;") + kUser + ")(A;;FA;;;" + kOther + ")",
      std::string("O:BAD:(A;;FA;;;") + kUser + ")(A;;FA;;;" + kOther + ")", kAdministratorsOnly},
     {{0, {{kOther, {{kOther, 0, FILE_DELETE_CHILD}}}}}}},
};
// clang-format on

struct PathCase {
    const char* name;
    std::string folder;
    std::vector<std::string> upToRoot;
};

// clang-format off
const PathCase kPathCases[] = {
    {"DriveRootEnds", "C:\\Tools\\Show", {"C:\\Tools\\Show", "C:\\Tools", "C:\\"}},
    {"ShareRootEnds", "\\\\server\\share\\Show", {"\\\\server\\share\\Show", "\\\\server\\share\\"}},
};
// clang-format on

// Null, with a failure, when Wine's parser does not take sddl.
PSECURITY_DESCRIPTOR FromSddl(const std::string& sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        ADD_FAILURE() << sddl << ": " << GetLastError();
    return descriptor;
}

class UntrustedWritersOf : public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(UntrustedWritersOf, Descriptor)
{
    if (GetParam().sddl.empty()) {
        SECURITY_DESCRIPTOR nullDacl;
        InitializeSecurityDescriptor(&nullDacl, SECURITY_DESCRIPTOR_REVISION);
        ASSERT_TRUE(SetSecurityDescriptorDacl(&nullDacl, TRUE, nullptr, FALSE));
        EXPECT_EQ(UntrustedWriters(&nullDacl, GetParam().ofInterest), GetParam().writers);
        return;
    }
    PSECURITY_DESCRIPTOR descriptor = FromSddl(GetParam().sddl);
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(UntrustedWriters(descriptor, GetParam().ofInterest), GetParam().writers);
    LocalFree(descriptor);
}

INSTANTIATE_TEST_SUITE_P(Checker, UntrustedWritersOf, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DescriptorCase>& info) { return info.param.name; });

class UntrustedWritersOfNewFileIn : public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(UntrustedWritersOfNewFileIn, Folder)
{
    PSECURITY_DESCRIPTOR folder = FromSddl(GetParam().sddl);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(UntrustedWritersOfNewFile(folder, GetParam().ofInterest), GetParam().writers);
    LocalFree(folder);
}

INSTANTIATE_TEST_SUITE_P(Checker, UntrustedWritersOfNewFileIn, ::testing::ValuesIn(kNewFileCases),
                         [](const ::testing::TestParamInfo<DescriptorCase>& info) { return info.param.name; });

class UntrustedWritersOfBuilt : public ::testing::TestWithParam<BuiltCase> {};

TEST_P(UntrustedWritersOfBuilt, Descriptor)
{
    BuiltDescriptor descriptor(GetParam().aces);
    EXPECT_EQ(UntrustedWriters(descriptor.Get()), GetParam().writers);
}

INSTANTIATE_TEST_SUITE_P(Checker, UntrustedWritersOfBuilt, ::testing::ValuesIn(kBuiltCases),
                         [](const ::testing::TestParamInfo<BuiltCase>& info) { return info.param.name; });

class RenamersAlong : public ::testing::TestWithParam<ChainCase> {};

TEST_P(RenamersAlong, Chain)
{
    std::vector<std::vector<UntrustedWriter>> chain;
    for (const std::string& sddl : GetParam().chain) {
        PSECURITY_DESCRIPTOR descriptor = FromSddl(sddl);
        ASSERT_NE(descriptor, nullptr);
        chain.push_back(UntrustedWriters(descriptor));
        LocalFree(descriptor);
    }
    EXPECT_EQ(FolderRenamers(chain), GetParam().renamed);
}

INSTANTIATE_TEST_SUITE_P(Checker, RenamersAlong, ::testing::ValuesIn(kChainCases),
                         [](const ::testing::TestParamInfo<ChainCase>& info) { return info.param.name; });

class FoldersUpTo : public ::testing::TestWithParam<PathCase> {};

TEST_P(FoldersUpTo, Root) { EXPECT_EQ(FoldersUpToRoot(GetParam().folder), GetParam().upToRoot); }

INSTANTIATE_TEST_SUITE_P(Checker, FoldersUpTo, ::testing::ValuesIn(kPathCases),
                         [](const ::testing::TestParamInfo<PathCase>& info) { return info.param.name; });

}  // namespace
