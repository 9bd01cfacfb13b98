#include "checker/rights/folderrenamers.h"

#include <algorithm>
#include <iterator>
#include <set>

#include "helpers/paths.h"

namespace {

const char* const kSignedInGroups[] = {
    "S-1-1-0",       // Everyone
    "S-1-5-11",      // Authenticated Users
    "S-1-5-32-545",  // Users
    "S-1-5-4",       // INTERACTIVE
};

bool SignedInGroup(const std::string& sid)
{
    for (const char* group : kSignedInGroups) {
        if (sid == group) return true;
    }
    return false;
}

bool EveryUserNamed(const std::set<std::string>& named)
{
    for (const char* group : kSignedInGroups) {
        if (named.count(group) != 0) return true;
    }
    return false;
}

// An account that may change the permissions or take ownership can give itself any right.
DWORD Usable(DWORD rights) { return (rights & (WRITE_DAC | WRITE_OWNER)) != 0 ? kChangingRights : rights; }

// Each account's rights that count for renaming the folder, the folder's writers first.
std::vector<RenameRight> RenameRights(const std::vector<UntrustedWriter>& folder,
                                      const std::vector<UntrustedWriter>& parent)
{
    std::vector<RenameRight> rights;
    for (const UntrustedWriter& writer : folder) rights.push_back({writer.sid, Usable(writer.rights) & DELETE, 0});
    for (const UntrustedWriter& writer : parent) {
        const DWORD onParent = Usable(writer.rights) & (FILE_DELETE_CHILD | FILE_ADD_SUBDIRECTORY);
        auto same = std::find_if(rights.begin(), rights.end(),
                                 [&](const RenameRight& right) { return right.sid == writer.sid; });
        if (same != rights.end())
            same->onParent = onParent;
        else
            rights.push_back({writer.sid, 0, onParent});
    }
    return rights;
}

// The first account in held with the right on the folder or on the parent; null when none.
const RenameRight* FirstWith(const std::vector<RenameRight>& held, DWORD onFolder, DWORD onParent)
{
    for (const RenameRight& right : held) {
        if ((right.onFolder & onFolder) != 0 || (right.onParent & onParent) != 0) return &right;
    }
    return NULL;
}

// The rights one user holding all of held would rename the folder with; empty when they are
// not enough.
std::vector<RenameRight> RenamingRights(const std::vector<RenameRight>& held)
{
    if (const RenameRight* child = FirstWith(held, 0, FILE_DELETE_CHILD)) return {{child->sid, 0, FILE_DELETE_CHILD}};
    const RenameRight* deleting = FirstWith(held, DELETE, 0);
    const RenameRight* adding = FirstWith(held, 0, FILE_ADD_SUBDIRECTORY);
    if (deleting == NULL || adding == NULL) return {};
    if (deleting->sid == adding->sid) return {{deleting->sid, DELETE, FILE_ADD_SUBDIRECTORY}};
    return {{deleting->sid, DELETE, 0}, {adding->sid, 0, FILE_ADD_SUBDIRECTORY}};
}

// Every signed-in user when the groups' rights alone are enough, since every account belongs to
// them; otherwise each other account not named yet whose rights, with the groups', are.
std::vector<Renamer> Renamers(const std::vector<RenameRight>& rights, const std::set<std::string>& named)
{
    std::vector<RenameRight> groups;
    std::copy_if(rights.begin(), rights.end(), std::back_inserter(groups),
                 [](const RenameRight& right) { return SignedInGroup(right.sid); });
    const std::vector<RenameRight> everyUser = RenamingRights(groups);
    if (!everyUser.empty()) return {{std::string(), everyUser}};

    std::vector<Renamer> renamers;
    for (const RenameRight& own : rights) {
        if (SignedInGroup(own.sid) || named.count(own.sid) != 0) continue;
        std::vector<RenameRight> held(1, own);
        held.insert(held.end(), groups.begin(), groups.end());
        const std::vector<RenameRight> through = RenamingRights(held);
        if (!through.empty()) renamers.push_back({own.sid, through});
    }
    return renamers;
}

void Name(const std::vector<Renamer>& renamers, std::set<std::string>& named)
{
    for (const Renamer& renamer : renamers) {
        if (renamer.account.empty())
            named.insert(std::begin(kSignedInGroups), std::end(kSignedInGroups));
        else
            named.insert(renamer.account);
    }
}

}  // namespace

std::vector<RenamedFolder> FolderRenamers(const std::vector<std::vector<UntrustedWriter>>& chain)
{
    std::vector<RenamedFolder> renamed;
    std::set<std::string> named;
    if (!chain.empty()) {
        for (const UntrustedWriter& writer : chain[0]) named.insert(writer.sid);
    }
    for (size_t i = 0; i + 1 < chain.size() && !EveryUserNamed(named); ++i) {
        const std::vector<Renamer> renamers = Renamers(RenameRights(chain[i], chain[i + 1]), named);
        if (renamers.empty()) continue;
        renamed.push_back({i, renamers});
        Name(renamers, named);
    }
    return renamed;
}

std::vector<std::string> FoldersUpToRoot(const std::string& folder)
{
    std::vector<std::string> folders(1, folder);
    while (!IsRoot(folders.back())) {
        const std::string parent = FolderOf(folders.back());
        if (parent.empty()) break;
        folders.push_back(parent);
    }
    return folders;
}
