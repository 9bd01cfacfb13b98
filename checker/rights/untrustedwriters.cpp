#include "checker/rights/untrustedwriters.h"

#include <map>
#include <set>

#include "checker/rights/accountnames.h"
#include "checker/rights/daclentry.h"
#include "helpers/text.h"

namespace {

const char kEveryone[] = "S-1-1-0";
const char kAuthenticatedUsers[] = "S-1-5-11";
const char kAnonymous[] = "S-1-5-7";
const char kOwnerRights[] = "S-1-3-4";
const char kCreatorOwner[] = "S-1-3-0";
const char kCreatorGroup[] = "S-1-3-1";
const char kAdministrators[] = "S-1-5-32-544";
const char* const kTrusted[] = {
    "S-1-5-18",  // SYSTEM
    kAdministrators,
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",  // TrustedInstaller
};
// Accounts and groups with members whose tokens lack Authenticated Users: Microsoft's
// "Security identifiers" says it never includes Guest; Users holds INTERACTIVE, and so a Guest
// signed in at the console.
const char* const kMayLackAuthenticatedUsers[] = {
    kEveryone,      kAnonymous,
    "S-1-5-32-546",  // Guests
    "S-1-5-32-545",  // Users
    "S-1-5-4",       // INTERACTIVE
};
// The Guest account and Domain Guests: their relative identifiers in any machine's or domain's SIDs.
const char* const kGuestRids[] = {"-501", "-514"};

bool Trusted(const std::string& sid)
{
    for (const char* trusted : kTrusted) {
        if (sid == trusted) return true;
    }
    return false;
}

bool MayLackAuthenticatedUsers(const std::string& sid)
{
    for (const char* group : kMayLackAuthenticatedUsers) {
        if (sid == group) return true;
    }
    if (sid.compare(0, 9, "S-1-5-21-") != 0) return false;
    for (const char* rid : kGuestRids) {
        if (EndsWith(sid, rid)) return true;
    }
    return false;
}

DWORD ChangingRightsOf(ACCESS_MASK mask, DWORD ofInterest)
{
    GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    MapGenericMask(&mask, &mapping);
    return mask & ofInterest;
}

// Rights granted and denied so far, per account, walking the DACL in order.
class DaclWalk {
public:
    void Deny(const std::string& sid, DWORD rights) { denied[sid] |= rights; }

    void Allow(const std::string& sid, DWORD rights, bool unevaluated)
    {
        DWORD refused = denied[sid];
        if (sid != kAnonymous) refused |= denied[kEveryone];
        if (!MayLackAuthenticatedUsers(sid)) refused |= denied[kAuthenticatedUsers];
        Grant(sid, rights & ~refused, unevaluated);
    }

    // Rights no entry can deny.
    void Grant(const std::string& sid, DWORD rights, bool unevaluated = false)
    {
        const DWORD gained = rights & ~granted[sid];
        if (gained == 0) return;
        if (granted[sid] == 0) order.push_back(sid);
        granted[sid] |= gained;
        if (unevaluated) fromUnevaluated.insert(sid);
    }

    std::vector<UntrustedWriter> Writers() const
    {
        std::vector<UntrustedWriter> writers;
        for (const std::string& sid : order) writers.push_back({sid, granted.at(sid), fromUnevaluated.count(sid) != 0});
        return writers;
    }

private:
    std::map<std::string, DWORD> denied;
    std::map<std::string, DWORD> granted;
    std::set<std::string> fromUnevaluated;
    std::vector<std::string> order;
};

enum class Scope {
    kThisObject,  // the entries that apply to the object itself
    kNewFile,     // the entries a file created in the folder inherits
};

bool InScope(BYTE aceFlags, Scope scope)
{
    if (scope == Scope::kNewFile) return (aceFlags & OBJECT_INHERIT_ACE) != 0;
    return (aceFlags & INHERIT_ONLY_ACE) == 0;
}

// Walks the ACEs in scope; the OWNER RIGHTS entries stand for owner.
bool WalkDacl(PACL dacl, Scope scope, const std::string& owner, DWORD ofInterest, DaclWalk& walk)
{
    bool ownerRightsSeen = false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = NULL;
        if (!GetAce(dacl, i, &ace)) continue;
        const ACE_HEADER* header = static_cast<const ACE_HEADER*>(ace);
        DaclEntry entry;
        if (!InScope(header->AceFlags, scope) || !ReadDaclEntry(header, entry) || entry.sid.empty()) continue;
        // A deny entry that might not apply denies nothing for certain.
        if (!entry.allow && !entry.evaluated) continue;
        // Placeholders: in an entry that applies they are in no token; in one a new file
        // inherits they become its creator, an administrator.
        if (entry.sid == kCreatorOwner || entry.sid == kCreatorGroup) continue;
        if (entry.sid == kOwnerRights) {
            ownerRightsSeen = true;
            entry.sid = owner;
        }
        const DWORD rights = ChangingRightsOf(entry.mask, ofInterest);
        if (entry.allow)
            walk.Allow(entry.sid, rights, !entry.evaluated);
        else
            walk.Deny(entry.sid, rights);
    }
    return ownerRightsSeen;
}

// The DACL; null when there is none (a null DACL or none present).
PACL DaclOf(PSECURITY_DESCRIPTOR descriptor)
{
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = NULL;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    return present ? dacl : NULL;
}

std::vector<UntrustedWriter> Untrusted(const std::vector<UntrustedWriter>& writers)
{
    std::vector<UntrustedWriter> untrusted;
    for (const UntrustedWriter& writer : writers) {
        if (!Trusted(writer.sid)) untrusted.push_back(writer);
    }
    return untrusted;
}

}  // namespace

std::vector<UntrustedWriter> UntrustedWriters(PSECURITY_DESCRIPTOR descriptor, DWORD ofInterest)
{
    PSID ownerSid = NULL;
    BOOL defaulted = FALSE;
    GetSecurityDescriptorOwner(descriptor, &ownerSid, &defaulted);
    const std::string owner = ownerSid != NULL ? SidText(ownerSid) : std::string();

    const PACL dacl = DaclOf(descriptor);
    DaclWalk walk;
    bool ownerRightsSeen = false;
    if (dacl == NULL) {
        walk.Allow(kEveryone, ofInterest, false);
    } else {
        ownerRightsSeen = WalkDacl(dacl, Scope::kThisObject, owner, ofInterest, walk);
    }
    // The owner may change the permissions whatever the entries deny, unless OWNER RIGHTS
    // entries replace that right.
    if (!owner.empty() && !ownerRightsSeen) walk.Grant(owner, WRITE_DAC);
    return Untrusted(walk.Writers());
}

std::vector<UntrustedWriter> UntrustedWritersOfNewFile(PSECURITY_DESCRIPTOR folder, DWORD ofInterest)
{
    const PACL dacl = DaclOf(folder);
    DaclWalk walk;
    if (dacl != NULL) WalkDacl(dacl, Scope::kNewFile, kAdministrators, ofInterest, walk);
    return Untrusted(walk.Writers());
}

std::string DescribeRights(DWORD rights, bool folder)
{
    const struct {
        DWORD right;
        const char* file;
        const char* folder;
    } kWords[] = {
        {FILE_WRITE_DATA, "write", "add files"},
        {FILE_APPEND_DATA, "append", "add folders"},
        {FILE_DELETE_CHILD, "delete files in it", "delete files in it"},
        {DELETE, "delete", "delete the folder"},
        {WRITE_DAC, "change permissions", "change permissions"},
        {WRITE_OWNER, "take ownership", "take ownership"},
        {FILE_WRITE_ATTRIBUTES, "change attributes", "change attributes"},
    };
    std::string words;
    for (const auto& word : kWords) {
        if ((rights & word.right) == 0) continue;
        if (!words.empty()) words += ", ";
        words += folder ? word.folder : word.file;
    }
    return words;
}
