// ObjectFacts: what the file system shows of one file or folder the launcher relies on: its
// own permissions (a link's own, not its target's), whether it is a link, and where its path
// leads once every link on it is resolved.
#ifndef ZSTARTUP_CHECKER_RIGHTS_OBJECTFACTS_H
#define ZSTARTUP_CHECKER_RIGHTS_OBJECTFACTS_H

#include <windows.h>

#include <memory>
#include <string>

enum class LinkKind {
    kNone,
    kJunction,    // a mount-point reparse point naming a folder
    kMountPoint,  // a mount-point reparse point naming a volume (\??\Volume{...}\)
    kSymbolicLink,
    kOtherLink,  // another name surrogate, or a reparse point of unknown kind (Wine gives no tag)
};

struct ObjectFacts {
    bool missing = false;  // file or path not found: nothing there yet
    // The owner and DACL of the object itself; null when they cannot be read (error says why)
    // or it is missing. Freed with LocalFree.
    std::shared_ptr<void> descriptor;
    DWORD error = 0;
    LinkKind link = LinkKind::kNone;
    // The path with every link on it resolved, as a drive or UNC path in the ANSI code page;
    // "" when it cannot be had (resolveError says why).
    std::string resolved;
    DWORD resolveError = 0;
};

// Reads the facts of path (ANSI). The descriptor is read through a handle opened on the link
// itself (FILE_FLAG_OPEN_REPARSE_POINT), the resolved path through one that follows links
// (GetFinalPathNameByHandleW). Changes nothing.
ObjectFacts ReadObjectFacts(const std::string& path);

// The kind of a reparse point from its attributes, its tag (FILE_ATTRIBUTE_TAG_INFO's) and,
// for a mount-point tag, its substitute name: a volume name makes it a mount point.
// kNone without FILE_ATTRIBUTE_REPARSE_POINT, and for tags that are no name surrogate
// (compressed, deduplicated or cloud files keep their own name).
LinkKind LinkKindOf(DWORD attributes, DWORD tag, const std::wstring& substituteName);

// A final path as GetFinalPathNameByHandleW gives it, without its prefix: \\?\C:\Show gives
// C:\Show, \\?\UNC\server\share\Show gives \\server\share\Show; other forms come back whole.
std::wstring WithoutFinalPathPrefix(const std::wstring& finalPath);

// "junction", "mount point", "symbolic link" or "link".
const char* LinkKindName(LinkKind kind);

#endif
