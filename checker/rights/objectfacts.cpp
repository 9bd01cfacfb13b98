#include "checker/rights/objectfacts.h"

#include <windows.h>
#include <aclapi.h>
#include <winioctl.h>

#include <cstddef>
#include <vector>

#include "helpers/filereading.h"
#include "lowtracessupport/modulepath.h"

namespace {

// The mount-point reparse data (MS-FSCC 2.1.2.5), which user-mode headers do not declare.
struct MountPointData {
    DWORD tag;
    WORD dataLength;
    WORD reserved;
    WORD substituteOffset;  // bytes, from pathBuffer
    WORD substituteLength;
    WORD printOffset;
    WORD printLength;
    WCHAR pathBuffer[1];
};

bool Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Empty, with error set, when path cannot be opened.
UniqueFile Open(const std::string& path, DWORD access, DWORD flags, DWORD& error)
{
    UniqueFile handle(CreateFileA(path.c_str(), access, kShareWithEveryone, NULL, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | flags, NULL));
    error = handle ? 0 : GetLastError();
    return handle;
}

// The substitute name of a mount-point reparse point; "" when it cannot be read.
std::wstring SubstituteName(HANDLE link)
{
    std::vector<BYTE> buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD size = 0;
    if (!DeviceIoControl(link, FSCTL_GET_REPARSE_POINT, NULL, 0, buffer.data(), static_cast<DWORD>(buffer.size()),
                         &size, NULL))
        return std::wstring();
    if (size < offsetof(MountPointData, pathBuffer)) return std::wstring();
    const MountPointData* data = reinterpret_cast<const MountPointData*>(buffer.data());
    const size_t start = offsetof(MountPointData, pathBuffer) + data->substituteOffset;
    if (start + data->substituteLength > size) return std::wstring();
    return std::wstring(reinterpret_cast<const wchar_t*>(buffer.data() + start),
                        data->substituteLength / sizeof(wchar_t));
}

// The reparse tag of the object the handle is open on; 0 when it cannot be read. (Wine leaves
// WIN32_FIND_DATA's dwReserved0 unset even for a reparse point.)
DWORD ReparseTag(HANDLE own)
{
    FILE_ATTRIBUTE_TAG_INFO info = {};
    if (own == INVALID_HANDLE_VALUE || !GetFileInformationByHandleEx(own, FileAttributeTagInfo, &info, sizeof info))
        return 0;
    return info.ReparseTag;
}

void ReadResolved(const std::string& path, ObjectFacts& facts)
{
    DWORD error = 0;
    const UniqueFile target = Open(path, FILE_READ_ATTRIBUTES, 0, error);
    wchar_t wide[kWideCapacity];
    const DWORD length = target ? GetFinalPathNameByHandleW(target.Get(), wide, kWideCapacity, VOLUME_NAME_DOS) : 0;
    if (target && length == 0) error = GetLastError();
    if (target && length >= kWideCapacity) error = ERROR_FILENAME_EXCED_RANGE;
    if (error != 0) {
        facts.resolveError = error;
        return;
    }
    const std::wstring resolved = WithoutFinalPathPrefix(std::wstring(wide, length));
    char ansi[kWideCapacity];
    if (AnsiPathOf(resolved.c_str(), ansi, sizeof ansi) != PathReading::kRead) {
        facts.resolveError = ERROR_NO_UNICODE_TRANSLATION;
        return;
    }
    facts.resolved = ansi;
}

}  // namespace

ObjectFacts ReadObjectFacts(const std::string& path)
{
    ObjectFacts facts;
    DWORD error = 0;
    const UniqueFile own = Open(path, READ_CONTROL | FILE_READ_ATTRIBUTES, FILE_FLAG_OPEN_REPARSE_POINT, error);
    if (!own) {
        facts.missing = Missing(error);
        facts.error = error;
        if (facts.missing) return facts;
    } else {
        PSECURITY_DESCRIPTOR descriptor = NULL;
        facts.error = GetSecurityInfo(own.Get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                      NULL, NULL, NULL, NULL, &descriptor);
        if (facts.error == ERROR_SUCCESS) facts.descriptor.reset(descriptor, LocalFree);
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        const DWORD tag = ReparseTag(own.Get());
        facts.link = LinkKindOf(attributes, tag,
                                own && tag == IO_REPARSE_TAG_MOUNT_POINT ? SubstituteName(own.Get()) : std::wstring());
    }
    ReadResolved(path, facts);
    return facts;
}

LinkKind LinkKindOf(DWORD attributes, DWORD tag, const std::wstring& substituteName)
{
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return LinkKind::kNone;
    if (tag == IO_REPARSE_TAG_SYMLINK) return LinkKind::kSymbolicLink;
    // Only name surrogates stand for another name; compressed, deduplicated or cloud files keep
    // theirs. Wine gives no tag at all.
    if (tag != IO_REPARSE_TAG_MOUNT_POINT)
        return tag == 0 || IsReparseTagNameSurrogate(tag) ? LinkKind::kOtherLink : LinkKind::kNone;
    return substituteName.compare(0, 11, L"\\??\\Volume{") == 0 ? LinkKind::kMountPoint : LinkKind::kJunction;
}

std::wstring WithoutFinalPathPrefix(const std::wstring& finalPath)
{
    if (finalPath.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + finalPath.substr(8);
    if (finalPath.compare(0, 4, L"\\\\?\\") == 0 && finalPath.size() >= 6 && finalPath[5] == L':')
        return finalPath.substr(4);
    return finalPath;
}

const char* LinkKindName(LinkKind kind)
{
    switch (kind) {
    case LinkKind::kJunction:
        return "junction";
    case LinkKind::kMountPoint:
        return "mount point";
    case LinkKind::kSymbolicLink:
        return "symbolic link";
    case LinkKind::kNone:
    case LinkKind::kOtherLink:
        break;
    }
    return "link";
}
