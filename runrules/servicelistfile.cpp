#include "runrules/servicelistfile.h"

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";
const DWORD kUtf8MarkLength = sizeof kUtf8Mark - 1;
// Enough for the mark, any run of blanks a list would have, and the '['.
const DWORD kProbeLength = 256;

ServiceListFile Unreadable(DWORD error)
{
    const bool absent = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return {absent ? ListFileState::kAbsent : ListFileState::kUnreadable, absent ? 0 : error, false};
}

}  // namespace

bool Utf8MarkHidesFirstSection(const char* bytes, DWORD count)
{
    if (count < kUtf8MarkLength || memcmp(bytes, kUtf8Mark, kUtf8MarkLength) != 0) return false;
    DWORD i = kUtf8MarkLength;
    while (i < count && (bytes[i] == ' ' || bytes[i] == '\t')) ++i;
    return i < count && bytes[i] == '[';
}

ServiceListFile ProbeServiceList(const char* path)
{
    // Shared with every other opener: an editor holding the file must not make it unreadable.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return Unreadable(GetLastError());
    char start[kProbeLength];
    DWORD count = 0;
    const BOOL read = ReadFile(file, start, sizeof start, &count, NULL);
    const DWORD error = read ? 0 : GetLastError();
    CloseHandle(file);
    if (!read) return {ListFileState::kUnreadable, error, false};
    return {ListFileState::kReadable, 0, Utf8MarkHidesFirstSection(start, count)};
}
