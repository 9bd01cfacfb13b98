// The checker's rights walk (UntrustedWriters, UntrustedWritersOfNewFile, FolderRenamers)
// against Windows' own access check, AuthzAccessCheck, asked for each account a descriptor
// names, for the rights that change a file and for those that change the log: on the
// descriptors the checker's tables are built from (untrustedwriters_test, writeaccess_test), on
// the same descriptors as Windows keeps them on a folder it made, on what a new file in such a
// folder inherits, and on real folders: Program Files, the user's profile and a folder made
// with a weak descriptor (with a file made in it), each up to its root.
//
// An account is asked alone, holding for deny only the groups every token like its own holds
// ("Well-known SIDs": Everyone in every token but Anonymous Logon's, Authenticated Users in none
// of a guest's), so that Windows answers what the walk reports: the rights given to that
// account. Where every entry is a plain allow or deny entry with specific rights, the two must
// be equal; elsewhere (conditional, callback and object entries, generic rights in an entry
// that applies) the walk may count more, never less.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "checker/rights/accountnames.h"
#include "checker/rights/folderrenamers.h"
#include "checker/rights/untrustedwriters.h"
#include "helpers/uniqueany.h"
#include "tests/checker/builtdescriptor.h"
#include "tests/harness/testfolder.h"
#include "tests/windows/authzaccess.h"
#include "tests/windows/windowsonly.h"

namespace {

const char kWhy[] =
    "Wine's AuthzAccessCheck is a stub, and Wine keeps no permissions set on files: the walk is "
    "compared with Windows' own access check on Windows only";

using UniqueDescriptor = UniqueLocal<PSECURITY_DESCRIPTOR>;

const char kEveryone[] = "S-1-1-0";
const char kAuthenticatedUsers[] = "S-1-5-11";
const char kUsers[] = "S-1-5-32-545";
const char kInteractive[] = "S-1-5-4";
const char kAnonymous[] = "S-1-5-7";
const char kGuests[] = "S-1-5-32-546";
const char kUser[] = "S-1-5-21-1004336348-1177238915-682003330-1001";
const char kOther[] = "S-1-5-21-1004336348-1177238915-682003330-1002";
// A user no descriptor names: what any signed-in user holds through its groups alone.
const char kAnyUser[] = "S-1-5-21-1004336348-1177238915-682003330-4242";
const std::string kTrustedInstaller = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// Accounts asked of every descriptor besides those it names.
const char* const kProbes[] = {kEveryone, kAuthenticatedUsers, kUsers, kInteractive, kAnonymous, kGuests, kUser};
// Accounts the walk leaves out by design (the system's own), and placeholders no token holds.
const char* const kNotAsked[] = {"S-1-5-18", "S-1-5-32-544", kTrustedInstaller.c_str(),
                                 "S-1-3-0",  "S-1-3-1",      "S-1-3-4"};
const char* const kSignedInGroups[] = {kEveryone, kAuthenticatedUsers, kUsers, kInteractive};

// -- what is asked, and of whom

bool GuestAccount(const std::string& sid)
{
    const bool local = sid.compare(0, 9, "S-1-5-21-") == 0;
    return local && (sid.size() > 4 &&
                     (sid.compare(sid.size() - 4, 4, "-501") == 0 || sid.compare(sid.size() - 4, 4, "-514") == 0));
}

// sid alone, with the groups every token holding it holds for certain, for deny only.
AuthzClient Alone(const std::string& sid)
{
    AuthzClient client = {sid, {}, {}};
    if (sid == kEveryone || sid == kAnonymous) return client;
    client.denyOnly.push_back(kEveryone);
    // A guest signed in at the console holds Users and INTERACTIVE, not Authenticated Users.
    const bool mayBeAGuest =
        sid == kAuthenticatedUsers || sid == kGuests || sid == kUsers || sid == kInteractive || GuestAccount(sid);
    if (!mayBeAGuest) client.denyOnly.push_back(kAuthenticatedUsers);
    return client;
}

// A signed-in user who is sid (kAnyUser for any user), with the groups every such user holds.
AuthzClient SignedIn(const std::string& sid)
{
    return {sid, {std::begin(kSignedInGroups), std::end(kSignedInGroups)}, {}};
}

bool Asked(const std::string& sid)
{
    for (const char* left : kNotAsked) {
        if (sid == left) return false;
    }
    return !sid.empty();
}

PACL DaclOf(PSECURITY_DESCRIPTOR descriptor)
{
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    return present ? dacl : nullptr;
}

std::string OwnerOf(PSECURITY_DESCRIPTOR descriptor)
{
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    GetSecurityDescriptorOwner(descriptor, &owner, &defaulted);
    return owner != nullptr ? SidText(owner) : std::string();
}

// Calls visit(header) for each entry of the descriptor's DACL.
template <typename Visit>
void ForEachEntry(PSECURITY_DESCRIPTOR descriptor, Visit visit)
{
    const PACL dacl = DaclOf(descriptor);
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (GetAce(dacl, i, &entry)) visit(static_cast<const ACE_HEADER*>(entry));
    }
}

bool PlainKind(const ACE_HEADER* header)
{
    return header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE;
}

// Every entry a plain allow or deny entry, none that applies holding generic rights: Windows'
// answer and the walk's must then be equal.
bool PlainEntries(PSECURITY_DESCRIPTOR descriptor)
{
    const DWORD generic = GENERIC_ALL | GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE;
    bool plain = true;
    ForEachEntry(descriptor, [&](const ACE_HEADER* header) {
        const bool applies = (header->AceFlags & INHERIT_ONLY_ACE) == 0;
        plain = plain && PlainKind(header) &&
                !(applies && (reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header)->Mask & generic) != 0);
    });
    return plain;
}

bool DenyEntries(PSECURITY_DESCRIPTOR descriptor)
{
    bool deny = false;
    ForEachEntry(descriptor, [&](const ACE_HEADER* header) {
        deny = deny || header->AceType == ACCESS_DENIED_ACE_TYPE ||
               header->AceType == ACCESS_DENIED_CALLBACK_ACE_TYPE || header->AceType == ACCESS_DENIED_OBJECT_ACE_TYPE;
    });
    return deny;
}

// The owner and the accounts of the descriptor's plain entries.
std::set<std::string> NamedIn(PSECURITY_DESCRIPTOR descriptor)
{
    std::set<std::string> named = {OwnerOf(descriptor)};
    ForEachEntry(descriptor, [&](const ACE_HEADER* header) {
        if (PlainKind(header))
            named.insert(SidText(const_cast<DWORD*>(&reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header)->SidStart)));
    });
    return named;
}

// Who to ask about descriptor: the accounts it names, those the walk reports, and the probes.
std::set<std::string> Subjects(PSECURITY_DESCRIPTOR descriptor, const std::vector<UntrustedWriter>& walked)
{
    // A null DACL lets anyone in whatever groups it holds: the walk says so of Everyone.
    if (DaclOf(descriptor) == nullptr) return {kEveryone};
    std::set<std::string> subjects = NamedIn(descriptor);
    for (const UntrustedWriter& writer : walked) subjects.insert(writer.sid);
    subjects.insert(std::begin(kProbes), std::end(kProbes));
    return subjects;
}

DWORD WalkedRights(const std::vector<UntrustedWriter>& walked, const std::string& sid)
{
    for (const UntrustedWriter& writer : walked) {
        if (writer.sid == sid) return writer.rights;
    }
    return 0;
}

// Windows' rights for client on descriptor, a failure when it cannot answer.
DWORD AuthzRights(const AuthzAccess& authz, PSECURITY_DESCRIPTOR descriptor, const AuthzClient& client)
{
    DWORD granted = 0;
    DWORD error = 0;
    EXPECT_TRUE(authz.Granted(descriptor, client, granted, error)) << client.user << ": error " << error;
    return granted;
}

// The walk's writers of an object that descriptor protects (or, for a new file, that answers
// for what Windows made) against Windows, account by account, for the rights of interest the
// walk was given; left out: accounts not asked.
void ExpectWalkAgrees(const AuthzAccess& authz, PSECURITY_DESCRIPTOR answering,
                      const std::vector<UntrustedWriter>& walked, bool exact, const std::set<std::string>& leftOut = {},
                      DWORD ofInterest = kChangingRights)
{
    for (const std::string& sid : Subjects(answering, walked)) {
        if (!Asked(sid) || leftOut.count(sid) != 0) continue;
        const DWORD windows = AuthzRights(authz, answering, Alone(sid)) & ofInterest;
        const DWORD walk = WalkedRights(walked, sid);
        if (exact) {
            EXPECT_EQ(walk, windows) << sid << ": the walk reports 0x" << std::hex << walk << ", Windows grants 0x"
                                     << windows;
        } else {
            EXPECT_EQ(windows & ~walk, 0u)
                << sid << ": Windows grants 0x" << std::hex << windows << ", more than the walk's 0x" << walk;
        }
    }
}

// -- renaming along a chain, as Windows' access check allows it

// WRITE_DAC or WRITE_OWNER lets an account give itself every right.
DWORD Usable(DWORD rights) { return (rights & (WRITE_DAC | WRITE_OWNER)) != 0 ? kChangingRights : rights; }

// Whether rights on folder i and on its parent let it be renamed and replaced: delete-child on
// the parent, or delete on the folder and add-folder on the parent (MoveFileEx).
bool MayRename(const std::vector<DWORD>& rights, size_t i)
{
    if (i + 1 >= rights.size()) return false;
    const DWORD folder = Usable(rights[i]);
    const DWORD parent = Usable(rights[i + 1]);
    return (parent & FILE_DELETE_CHILD) != 0 || ((folder & DELETE) != 0 && (parent & FILE_ADD_SUBDIRECTORY) != 0);
}

// Whether the renamers name account (or every user) at folder i or below.
bool NamedAtOrBelow(const std::vector<RenamedFolder>& renamed, const std::string& account, size_t i)
{
    for (const RenamedFolder& folder : renamed) {
        if (folder.index > i) continue;
        for (const Renamer& renamer : folder.renamers) {
            if (renamer.account.empty() || renamer.account == account) return true;
        }
    }
    return false;
}

// Every user Windows lets rename a folder of the chain is named there or below, or may change
// the launcher's folder itself (and is named for that); with no deny entry on the way, every
// user named can rename the folder named.
void ExpectRenamersAgree(const AuthzAccess& authz, const std::vector<PSECURITY_DESCRIPTOR>& chain)
{
    std::vector<std::vector<UntrustedWriter>> writers;
    std::set<std::string> accounts = {kAnyUser};
    bool denies = false;
    for (PSECURITY_DESCRIPTOR descriptor : chain) {
        writers.push_back(UntrustedWriters(descriptor));
        for (const std::string& sid : NamedIn(descriptor)) {
            const bool group =
                std::find(std::begin(kSignedInGroups), std::end(kSignedInGroups), sid) != std::end(kSignedInGroups);
            if (Asked(sid) && !group) accounts.insert(sid);
        }
        denies = denies || DenyEntries(descriptor) || !PlainEntries(descriptor);
    }
    const std::vector<RenamedFolder> renamed = FolderRenamers(writers);
    std::map<std::string, std::vector<DWORD>> rights;
    for (const std::string& account : accounts) {
        for (PSECURITY_DESCRIPTOR descriptor : chain)
            rights[account].push_back(AuthzRights(authz, descriptor, SignedIn(account)) & kChangingRights);
    }
    for (const auto& [account, held] : rights) {
        const bool changesLauncherFolder = held[0] != 0;
        for (size_t i = 0; i + 1 < chain.size(); ++i) {
            if (MayRename(held, i) && !changesLauncherFolder) {
                EXPECT_TRUE(NamedAtOrBelow(renamed, account == kAnyUser ? std::string() : account, i))
                    << account << " may rename folder " << i << ", which the walk does not say";
            }
        }
    }
    if (denies) return;
    for (const RenamedFolder& folder : renamed) {
        for (const Renamer& renamer : folder.renamers) {
            const std::string account = renamer.account.empty() ? kAnyUser : renamer.account;
            const auto held = rights.find(account);
            ASSERT_NE(held, rights.end()) << account << " is named, but no descriptor of the chain names it";
            EXPECT_TRUE(MayRename(held->second, folder.index))
                << account << " is named for folder " << folder.index << ", which Windows does not let it rename";
        }
    }
}

// -- descriptors: from SDDL, on folders Windows made, read from real folders

UniqueDescriptor FromSddl(const std::string& sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        ADD_FAILURE() << sddl << ": " << GetLastError();
    return UniqueDescriptor(descriptor);
}

// The owner and DACL Windows keeps for path; null, with a failure, when they cannot be read.
UniqueDescriptor ReadDescriptor(const std::string& path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error =
        GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, nullptr, nullptr, &descriptor);
    EXPECT_EQ(error, 0u) << "GetNamedSecurityInfo " << path;
    return UniqueDescriptor(error == 0 ? descriptor : nullptr);
}

// sddl's DACL, protected so that nothing of the folder it is made in joins it; its owner is
// left to Windows (another account's needs a privilege).
std::string ProtectedDacl(const std::string& sddl)
{
    std::string dacl = sddl.substr(sddl.find("D:"));
    if (dacl.compare(0, 3, "D:P") != 0 && dacl != "D:NO_ACCESS_CONTROL") dacl.insert(2, "P");
    return dacl;
}

// Makes folder name in parent with the DACL of sddl; true when Windows made it.
bool MakeFolder(const TestFolder& parent, const std::string& name, const std::string& sddl)
{
    UniqueDescriptor descriptor = FromSddl(ProtectedDacl(sddl));
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.Get(), FALSE};
    const bool made = descriptor && CreateDirectoryA(parent.PathOf(name).c_str(), &attributes);
    EXPECT_TRUE(made) << "CreateDirectory " << parent.PathOf(name) << " with " << ProtectedDacl(sddl) << ": "
                      << GetLastError();
    return made;
}

// The SID of this program's user, and so of the creator of what it makes.
std::string OwnSid()
{
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put())) return std::string();
    BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    if (!GetTokenInformation(token.Get(), TokenUser, buffer, sizeof buffer, &size)) return std::string();
    return SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
}

void DestroyPrivate(PSECURITY_DESCRIPTOR descriptor) { DestroyPrivateObjectSecurity(&descriptor); }
using UniquePrivateDescriptor = UniqueAny<PSECURITY_DESCRIPTOR, DestroyPrivate>;

// What a file this program made in a folder that folder protects would get, as the file system
// makes it (CreatePrivateObjectSecurity with the file mapping: the folder's entries for files,
// and this program's token for its owner and, with nothing to inherit, its DACL). Unlike a real
// file, made whatever the folder lets this program do.
UniquePrivateDescriptor NewFileIn(PSECURITY_DESCRIPTOR folder)
{
    GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    UniqueHandle token;
    PSECURITY_DESCRIPTOR made = nullptr;
    const bool done = OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put()) &&
                      CreatePrivateObjectSecurity(folder, nullptr, &made, FALSE, token.Get(), &mapping);
    EXPECT_TRUE(done) << "CreatePrivateObjectSecurity: " << GetLastError();
    return UniquePrivateDescriptor(done ? made : nullptr);
}

// UntrustedWritersOfNewFile of a folder against Windows on a file made in it: the file's
// creator (this program's user, or Administrators when it runs elevated) is who the walk takes
// it to be, and is left out.
void ExpectNewFileAgrees(const AuthzAccess& authz, PSECURITY_DESCRIPTOR folder, PSECURITY_DESCRIPTOR file,
                         DWORD ofInterest = kChangingRights)
{
    bool plainFolder = true;
    ForEachEntry(folder, [&](const ACE_HEADER* header) { plainFolder = plainFolder && PlainKind(header); });
    // Without entries to inherit, the file takes its creator's default DACL, which may name the
    // creator's logon session (S-1-5-5-...): the creator's too.
    std::set<std::string> creator = {OwnSid(), OwnerOf(file)};
    for (const std::string& sid : NamedIn(file)) {
        if (sid.compare(0, 8, "S-1-5-5-") == 0) creator.insert(sid);
    }
    ExpectWalkAgrees(authz, file, UntrustedWritersOfNewFile(folder, ofInterest), plainFolder && PlainEntries(file),
                     creator, ofInterest);
}

// -- the tables

struct DescriptorRow {
    const char* name;  // the row of untrustedwriters_test or writeaccess_test it comes from
    std::string sddl;
};

// clang-format off
const DescriptorRow kDescriptors[] = {
    {"ProgramFilesIsAdministratorsOnly",
     "O:" + kTrustedInstaller + "D:P(A;CI;FA;;;" + kTrustedInstaller +
         ")(A;OICIIO;GA;;;CO)(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;OICI;0x1200a9;;;AC)"},
    {"ProfileFolderBelongsToItsUser",
     std::string("O:") + kUser + "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" + kUser + ")"},
    {"EveryoneMayWrite", "O:BAD:(A;;FA;;;BA)(A;;0x1301bf;;;WD)"},
    {"GenericWriteForAuthenticatedUsers", "O:BAD:(A;;GW;;;AU)"},
    {"ChangingPermissionsIsEnough", "O:BAD:(A;;0x00040000;;;IU)"},
    {"DeletingIsEnough", "O:BAD:(A;;SD;;;BU)"},
    {"ReadingIsNot", "O:BAD:(A;;FR;;;BU)(A;;FX;;;WD)"},
    {"InheritOnlyEntryDoesNotApplyHere", "O:BAD:(A;OICIIO;FA;;;AU)(A;;FA;;;SY)"},
    {"CreatorOwnerAndGroupInAnEntryThatAppliesMatchNoOne", "O:BAD:(A;;FA;;;CO)(A;;FA;;;CG)"},
    {"DenyBeforeAllowTakesTheRights", "O:BAD:(D;;0x6;;;BU)(A;;0x1201bf;;;BU)"},
    {"DenyForEveryoneCoversEveryAccount", "O:BAD:(D;;FA;;;WD)(A;;FA;;;BU)"},
    {"DenyForOneAccountLeavesTheOthers", "O:BAD:(D;;FA;;;BU)(A;;FA;;;AU)"},
    {"AllowBeforeDenyKeepsTheRights", "O:BAD:(A;;FA;;;BU)(D;;FA;;;BU)"},
    {"OwnerMayChangePermissions", std::string("O:") + kUser + "D:(A;;FA;;;SY)"},
    {"OwnerRightsEntryLimitsTheOwner", std::string("O:") + kUser + "D:(A;;FR;;;S-1-3-4)(A;;FA;;;SY)"},
    {"NullDaclLetsEveryoneIn", "O:BAD:NO_ACCESS_CONTROL"},
    {"DenyForEveryoneLeavesAnonymousLogon", "O:BAD:(D;;FA;;;WD)(A;;FA;;;AN)"},
    {"DenyForAuthenticatedUsersLeavesGuests", "O:BAD:(D;;FA;;;AU)(A;;FA;;;BG)"},
    {"DenyForAuthenticatedUsersLeavesTheGuestAccount", "O:BAD:(D;;FA;;;AU)(A;;SD;;;S-1-5-21-1-2-3-501)"},
    {"DenyForAuthenticatedUsersLeavesUsers", "O:BAD:(D;;FA;;;AU)(A;;SD;;;BU)"},
    {"DenyForAuthenticatedUsersCoversAUser", std::string("O:BAD:(D;;FA;;;AU)(A;;FA;;;") + kUser + ")"},
    {"InheritOnlyEntryForFilesPasses", "O:BAD:P(A;OICI;FA;;;BA)(A;OIIO;0x1301bf;;;BU)"},
    {"EntryForFoldersOnlyDoesNotPass", "O:BAD:(A;CIIO;FA;;;BU)(A;OICI;0x1200a9;;;BU)(A;OI;GW;;;IU)"},
    {"CreatorNotFolderOwnerOwnsIt", std::string("O:") + kUser + "D:(A;OICIIO;FA;;;CO)(A;OI;SD;;;AU)"},
    {"AdministratorsOnly", "O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"},
    {"DefaultDriveC", "O:SYD:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)(A;OICIIO;SDGXGWGR;;;AU)(A;;LC;;;AU)"},
    {"MadeInDriveC",
     "O:BAD:AI(A;OICIID;FA;;;BA)(A;OICIID;FA;;;SY)(A;OICIID;0x1200a9;;;BU)(A;ID;0x1301bf;;;AU)"
     "(A;OICIIOID;SDGXGWGR;;;AU)"},
    {"UsersModify", "O:BAD:(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)"},
    {"UsersDeleteChild", "O:BAD:(A;OICI;FA;;;BA)(A;;0x40;;;BU)"},
    {"FolderEntriesForNewFiles", "O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OIIO;0x1301bf;;;BU)"},
    {"LinkItselfMayBeRepointed", "O:BAD:(A;;FA;;;BA)(A;;0x100;;;BU)"},
    {"SettingTimesOfNewFilesCountsForTheLog", "O:BAD:(A;OICI;FA;;;BA)(A;OIIO;0x100;;;BU)"},
};
// clang-format on

struct BuiltRow {
    const char* name;  // the row of untrustedwriters_test it comes from
    std::vector<std::string> aces;
};

const DWORD kModify = 0x1301bf;

// clang-format off
const BuiltRow kBuiltRows[] = {
    {"ConditionalAllowGrantsItsRights", {CallbackAce(ACCESS_ALLOWED_CALLBACK_ACE_TYPE, FILE_ALL_ACCESS, "BU", true)}},
    {"CallbackAllowGrantsItsRights", {CallbackAce(ACCESS_ALLOWED_CALLBACK_ACE_TYPE, kModify, "AU", false)}},
    {"ObjectAllowGrantsItsRights", {ObjectAce(ACCESS_ALLOWED_OBJECT_ACE_TYPE, kModify, "BU")}},
    {"CallbackObjectAllowGrantsItsRights", {ObjectAce(ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE, WRITE_DAC, "WD")}},
    {"ConditionalDenyIsIgnored",
     {CallbackAce(ACCESS_DENIED_CALLBACK_ACE_TYPE, FILE_ALL_ACCESS, "BU", true),
      PlainAce(ACCESS_ALLOWED_ACE_TYPE, kModify, "BU")}},
    {"ObjectDenyIsIgnored",
     {ObjectAce(ACCESS_DENIED_OBJECT_ACE_TYPE, FILE_ALL_ACCESS, "WD"), PlainAce(ACCESS_ALLOWED_ACE_TYPE, DELETE, "BU")}},
    {"PlainDenyStillHoldsBeforeAConditionalAllow",
     {PlainAce(ACCESS_DENIED_ACE_TYPE, FILE_ALL_ACCESS, "BU"),
      CallbackAce(ACCESS_ALLOWED_CALLBACK_ACE_TYPE, FILE_ALL_ACCESS, "BU", true)}},
};
// clang-format on

struct ChainRow {
    const char* name;                // the row of untrustedwriters_test it comes from
    std::vector<std::string> chain;  // the launcher's folder first, its root last
};

const std::string kAdministratorsOnly = "O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
const std::string kDefaultDriveC =
    "O:SYD:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)(A;OICIIO;SDGXGWGR;;;AU)(A;;LC;;;AU)";
const std::string kMadeInDriveC =
    "O:BAD:AI(A;OICIID;FA;;;BA)(A;OICIID;FA;;;SY)(A;OICIID;0x1200a9;;;BU)(A;ID;0x1301bf;;;AU)"
    "(A;OICIIOID;SDGXGWGR;;;AU)";

// clang-format off
const ChainRow kChains[] = {
    {"FolderMadeInDefaultDriveC", {kAdministratorsOnly, kMadeInDriveC, kDefaultDriveC}},
    {"DeleteChildOnTheParentIsEnough", {kAdministratorsOnly, "O:BAD:(A;;0x40;;;BU)", kAdministratorsOnly}},
    {"SignedInGroupsMakeAPairForEveryUser",
     {kAdministratorsOnly, std::string("O:BAD:(A;;SD;;;BU)(A;;SD;;;") + kUser + ")",
      std::string("O:BAD:(A;;0x4;;;IU)(A;;0x4;;;") + kUser + ")"}},
    {"AccountDeletesAndSignedInGroupAdds",
     {kAdministratorsOnly, std::string("O:BAD:(A;;SD;;;") + kUser + ")", kDefaultDriveC}},
    {"OwnerOfTheParentMayGiveItselfDeleteChild",
     {kAdministratorsOnly, std::string("O:") + kUser + "D:(A;OICI;FA;;;BA)", kAdministratorsOnly}},
    {"RightsOnFoldersApartMakeNoPair",
     {kAdministratorsOnly, "O:BAD:(A;;SD;;;BU)", std::string("O:BAD:(A;;0x40;;;") + kOther + ")",
      "O:BAD:(A;;0x4;;;BU)"}},
    {"AccountIsNamedOnceAndNotWhenItMayChangeTheLauncherFolder",
     {std::string("O:BAD:(A;;FA;;;BA)(A;;FA;;;") + kUser + ")",
      std::string("O:BAD:(A;;FA;;;") + kUser + ")(A;;FA;;;" + kOther + ")",
      std::string("O:BAD:(A;;FA;;;") + kUser + ")(A;;FA;;;" + kOther + ")", kAdministratorsOnly}},
};
// clang-format on

template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info)
{
    return info.param.name;
}

void PrintTo(const DescriptorRow& row, std::ostream* out) { *out << row.name; }
void PrintTo(const BuiltRow& row, std::ostream* out) { *out << row.name; }
void PrintTo(const ChainRow& row, std::ostream* out) { *out << row.name; }

class RightsTest : public WindowsOnlyTest {
protected:
    RightsTest() : WindowsOnlyTest(kWhy) {}
    void SetUp() override
    {
        WindowsOnlyTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_TRUE(authz_) << "AuthzInitializeResourceManager: " << GetLastError();
    }

    const AuthzAccess authz_;
};

class WalkOfDescriptor : public RightsTest, public ::testing::WithParamInterface<DescriptorRow> {
protected:
    // A file made in a folder Windows made with the row's descriptor: the walk of the folder's
    // entries for new files against Windows on what the file inherited.
    void ExpectNewFileInMadeFolderAgrees(DWORD ofInterest)
    {
        TestFolder parent;
        ASSERT_TRUE(MakeFolder(parent, "made", GetParam().sddl));
        UniqueDescriptor kept = ReadDescriptor(parent.PathOf("made"));
        ASSERT_TRUE(kept);
        UniquePrivateDescriptor file = NewFileIn(kept.Get());
        ASSERT_TRUE(file);
        ExpectNewFileAgrees(authz_, kept.Get(), file.Get(), ofInterest);
    }
};

TEST_P(WalkOfDescriptor, AgreesWithAuthz)
{
    UniqueDescriptor descriptor = FromSddl(GetParam().sddl);
    ASSERT_TRUE(descriptor);
    ExpectWalkAgrees(authz_, descriptor.Get(), UntrustedWriters(descriptor.Get()), PlainEntries(descriptor.Get()));
}

// As the file system keeps it: generic rights mapped, entries for children split off.
TEST_P(WalkOfDescriptor, AgreesWithAuthzOnAFolderWindowsMade)
{
    TestFolder parent;
    ASSERT_TRUE(MakeFolder(parent, "made", GetParam().sddl));
    UniqueDescriptor kept = ReadDescriptor(parent.PathOf("made"));
    ASSERT_TRUE(kept);
    ExpectWalkAgrees(authz_, kept.Get(), UntrustedWriters(kept.Get()), PlainEntries(kept.Get()));
}

TEST_P(WalkOfDescriptor, ForANewFileAgreesWithAuthzOnWhatItInherits)
{
    ExpectNewFileInMadeFolderAgrees(kChangingRights);
}

// The log's writers include whoever may set its times (SetFileTime: write attributes).
TEST_P(WalkOfDescriptor, ForTheLogAgreesWithAuthz)
{
    UniqueDescriptor descriptor = FromSddl(GetParam().sddl);
    ASSERT_TRUE(descriptor);
    ExpectWalkAgrees(authz_, descriptor.Get(), UntrustedWriters(descriptor.Get(), kLogChangingRights),
                     PlainEntries(descriptor.Get()), {}, kLogChangingRights);
}

TEST_P(WalkOfDescriptor, ForANewLogAgreesWithAuthzOnWhatItInherits)
{
    ExpectNewFileInMadeFolderAgrees(kLogChangingRights);
}

INSTANTIATE_TEST_SUITE_P(Rights, WalkOfDescriptor, ::testing::ValuesIn(kDescriptors), RowName<DescriptorRow>);

class WalkOfBuiltDescriptor : public RightsTest, public ::testing::WithParamInterface<BuiltRow> {};

TEST_P(WalkOfBuiltDescriptor, CountsAtLeastWhatAuthzGrants)
{
    BuiltDescriptor descriptor(GetParam().aces);
    ExpectWalkAgrees(authz_, descriptor.Get(), UntrustedWriters(descriptor.Get()), false);
}

INSTANTIATE_TEST_SUITE_P(Rights, WalkOfBuiltDescriptor, ::testing::ValuesIn(kBuiltRows), RowName<BuiltRow>);

class RenamersOfChain : public RightsTest, public ::testing::WithParamInterface<ChainRow> {};

TEST_P(RenamersOfChain, AgreeWithAuthz)
{
    std::vector<UniqueDescriptor> owned;
    std::vector<PSECURITY_DESCRIPTOR> chain;
    for (const std::string& sddl : GetParam().chain) {
        owned.push_back(FromSddl(sddl));
        ASSERT_TRUE(owned.back());
        chain.push_back(owned.back().Get());
    }
    ExpectRenamersAgree(authz_, chain);
}

INSTANTIATE_TEST_SUITE_P(Rights, RenamersOfChain, ::testing::ValuesIn(kChains), RowName<ChainRow>);

// -- real folders, each up to its root

class RealFolders : public RightsTest {
protected:
    // The folder and those above it, their walks and the renamers, against Authz.
    void ExpectChainAgrees(const std::string& folder)
    {
        std::vector<UniqueDescriptor> owned;
        std::vector<PSECURITY_DESCRIPTOR> chain;
        for (const std::string& path : FoldersUpToRoot(folder)) {
            owned.push_back(ReadDescriptor(path));
            ASSERT_TRUE(owned.back()) << path;
            chain.push_back(owned.back().Get());
            SCOPED_TRACE(path);
            ExpectWalkAgrees(authz_, chain.back(), UntrustedWriters(chain.back()), PlainEntries(chain.back()));
        }
        ExpectRenamersAgree(authz_, chain);
    }
};

std::string Environment(const char* name)
{
    char value[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// The native Program Files, which a 32-bit program on 64-bit Windows names by ProgramW6432.
TEST_F(RealFolders, ProgramFiles)
{
    std::string programFiles = Environment("ProgramW6432");
    if (programFiles.empty()) programFiles = Environment("ProgramFiles");
    ASSERT_FALSE(programFiles.empty());
    ExpectChainAgrees(programFiles);
    UniqueDescriptor descriptor = ReadDescriptor(programFiles);
    ASSERT_TRUE(descriptor);
    // Windows' default: only TrustedInstaller, SYSTEM and Administrators may change it.
    EXPECT_TRUE(UntrustedWriters(descriptor.Get()).empty());
}

TEST_F(RealFolders, UsersProfile)
{
    const std::string profile = Environment("USERPROFILE");
    ASSERT_FALSE(profile.empty());
    ExpectChainAgrees(profile);
}

TEST_F(RealFolders, FolderMadeWithAWeakDescriptor)
{
    TestFolder parent;
    // Users: modify (0x1301bf), which holds write, append and delete.
    ASSERT_TRUE(MakeFolder(parent, "weak", "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)"));
    ExpectChainAgrees(parent.PathOf("weak"));
    UniqueDescriptor weak = ReadDescriptor(parent.PathOf("weak"));
    ASSERT_TRUE(weak);
    parent.Write("weak\\new.txt", "");
    UniqueDescriptor file = ReadDescriptor(parent.PathOf("weak\\new.txt"));
    ASSERT_TRUE(file);
    ExpectNewFileAgrees(authz_, weak.Get(), file.Get());
    EXPECT_EQ(WalkedRights(UntrustedWriters(weak.Get()), kUsers),
              static_cast<DWORD>(FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE));
}

}  // namespace
