// FolderRenamers: who could rename the launcher's folder, or a folder above it, and so put a
// folder of their own, with a launcher, list and batch file, where the next elevated start
// looks.
//
// Renaming or moving a folder takes DELETE on it or FILE_DELETE_CHILD on its parent, and the
// right to add it where it goes; putting another in its place takes FILE_ADD_SUBDIRECTORY on
// the parent. Counted as renaming: FILE_DELETE_CHILD on the parent alone (the folder can go
// to any folder of the volume the account may add folders to, as Authenticated Users may to a
// default C:\), or DELETE on the folder with FILE_ADD_SUBDIRECTORY on the parent. WRITE_DAC or
// WRITE_OWNER on either counts as every right there: the account can give itself the rest.
//
// Every signed-in user belongs to Everyone, Authenticated Users, Users and INTERACTIVE, so
// what these groups hold adds up as one user's rights: DELETE through one and
// FILE_ADD_SUBDIRECTORY through another make a pair. Any other account holds its own rights
// and theirs.
#ifndef ZSTARTUP_CHECKER_RIGHTS_FOLDERRENAMERS_H
#define ZSTARTUP_CHECKER_RIGHTS_FOLDERRENAMERS_H

#include <windows.h>

#include <string>
#include <vector>

#include "checker/rights/untrustedwriters.h"

struct RenameRight {
    std::string sid;
    DWORD onFolder;  // DELETE, or 0
    DWORD onParent;  // FILE_DELETE_CHILD or FILE_ADD_SUBDIRECTORY, or 0
};

// A user who could rename a folder, and the accounts through which it holds the rights it
// would use, each right from the first account that has it (its own account first).
struct Renamer {
    std::string account;  // its SID; empty for every signed-in user
    std::vector<RenameRight> through;
};

struct RenamedFolder {
    size_t index;  // in the chain
    std::vector<Renamer> renamers;
};

// chain: the UntrustedWriters of the launcher's folder, then of each folder above it, ending
// with its root, which cannot be renamed. Returns the folders some user could rename, from the
// launcher's up, with those users. A user is named once, at the lowest such folder, and not at
// all when it may change the launcher's folder itself (it is named for that already); when
// one of the signed-in groups may, so may every user, and no one is named. Every signed-in
// user is named alone when the groups make a pair, and then no other account.
std::vector<RenamedFolder> FolderRenamers(const std::vector<std::vector<UntrustedWriter>>& chain);

// The folder, then each folder above it, ending with its root: C:\Tools\Show gives
// C:\Tools\Show, C:\Tools and C:\; \\server\share\Show gives \\server\share\Show and
// \\server\share\. Separators are found character by character, as the ANSI code page has
// them. The folder alone when it is a root or its parent cannot be told.
std::vector<std::string> FoldersUpToRoot(const std::string& folder);

#endif
