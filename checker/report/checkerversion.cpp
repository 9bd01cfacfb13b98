#include "checker/report/checkerversion.h"

#include <windows.h>

#include <cstring>

namespace {

// VS_FIXEDFILEINFO, found by its signature on a 4-byte boundary of the record.
const VS_FIXEDFILEINFO* FixedInfo(const BYTE* record, DWORD size)
{
    for (DWORD at = 0; at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4) {
        DWORD signature;
        std::memcpy(&signature, record + at, sizeof signature);
        if (signature == VS_FFI_SIGNATURE) return reinterpret_cast<const VS_FIXEDFILEINFO*>(record + at);
    }
    return NULL;
}

}  // namespace

std::string CheckerVersion()
{
    // Read from the program's own resources: version.dll would be one more DLL to load.
    HRSRC found = FindResourceW(NULL, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    HGLOBAL loaded = found != NULL ? LoadResource(NULL, found) : NULL;
    const BYTE* record = loaded != NULL ? static_cast<const BYTE*>(LockResource(loaded)) : NULL;
    const VS_FIXEDFILEINFO* info = record != NULL ? FixedInfo(record, SizeofResource(NULL, found)) : NULL;
    if (info == NULL) return std::string();
    return std::to_string(HIWORD(info->dwProductVersionMS)) + "." + std::to_string(LOWORD(info->dwProductVersionMS)) +
           "." + std::to_string(HIWORD(info->dwProductVersionLS)) + "." +
           std::to_string(LOWORD(info->dwProductVersionLS));
}
