// UntrustedWriters: who besides the system's own accounts may change a file or folder.
#ifndef ZSTARTUP_CHECKER_RIGHTS_UNTRUSTEDWRITERS_H
#define ZSTARTUP_CHECKER_RIGHTS_UNTRUSTEDWRITERS_H

#include <windows.h>

#include <string>
#include <vector>

// Rights that let an account change what the elevated launcher runs: write or append data
// (for a folder: add files or subfolders), delete files in a folder, delete (or, with the
// right to add it elsewhere, move) the object itself, change the permissions or take
// ownership.
const DWORD kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;
// A junction, symbolic link or mount point is pointed elsewhere by whoever may set its reparse
// data, which takes write data or write attributes on the link itself (MS-FSA,
// FSCTL_SET_REPARSE_POINT).
const DWORD kLinkChangingRights = kChangingRights | FILE_WRITE_ATTRIBUTES;
// The log is also forged by whoever may set its times (SetFileTime takes write attributes):
// its last-write time is all --last-run knows of when the last run was.
const DWORD kLogChangingRights = kChangingRights | FILE_WRITE_ATTRIBUTES;

struct UntrustedWriter {
    std::string sid;  // S-1-...
    DWORD rights;     // the changing rights it holds
    // Some of them come from an entry the checker cannot evaluate (conditional, callback or
    // object-specific), counted as granting them.
    bool unevaluated = false;
};

// Accounts other than SYSTEM, Administrators and TrustedInstaller that hold changing rights
// (those of interest: kChangingRights, kLinkChangingRights for a link, kLogChangingRights for
// the log) on the object the descriptor (owner and DACL) protects, in the order the DACL first
// names them. The DACL is evaluated in order as Windows does: inherit-only entries do not
// apply, and CREATOR OWNER and CREATOR GROUP in an entry that applies match no one's token. A
// deny entry takes its rights from its own account and from the accounts sure to hold its
// group: for Everyone, every account but Anonymous Logon (whose token lacks Everyone unless a
// policy adds it); for Authenticated Users, every account but Everyone, Anonymous Logon,
// Guests, the Guest account, Domain Guests, and Users and INTERACTIVE (a Guest signed in
// interactively belongs to both). Conditional, callback and object-specific allow entries grant
// their rights to their account (marked unevaluated); deny entries of those kinds are ignored,
// since they may not apply. The owner may change the permissions whatever the entries deny,
// unless OWNER RIGHTS entries say otherwise. A missing (null) DACL gives Everyone every right.
std::vector<UntrustedWriter> UntrustedWriters(PSECURITY_DESCRIPTOR descriptor, DWORD ofInterest = kChangingRights);

// The same for a file not yet created in the folder the descriptor protects, from the entries
// such a file inherits (object-inherit ones, inherit-only or not). Its creator, and so its
// owner, is taken to be an administrator: any other account that may add files to the folder
// is already a writer of the folder. CREATOR OWNER and CREATOR GROUP entries become the
// creator's and are left out. Without such entries (or without a DACL) the file takes the
// creator's default permissions, and the result is empty.
std::vector<UntrustedWriter> UntrustedWritersOfNewFile(PSECURITY_DESCRIPTOR folder, DWORD ofInterest = kChangingRights);

// The rights in words, for a file or a folder: "write, change permissions" (write attributes
// as "change attributes").
std::string DescribeRights(DWORD rights, bool folder);

#endif
