#include "runrules/servicelistfile.h"

#include "helpers/filereading.h"

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";
const DWORD kUtf8MarkLength = sizeof kUtf8Mark - 1;
// Enough for the mark, any run of blanks a list would have, and the section's name.
const DWORD kProbeLength = 256;

ServiceListFile Unreadable(DWORD error)
{
    const bool absent = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return {absent ? ListFileState::kAbsent : ListFileState::kUnreadable, absent ? 0 : error, false, "", false};
}

// The section header right after a UTF-8 mark at the start of bytes, blanks allowed between:
// true, with its name (cut to fit) in name. False when there is no mark or no header.
bool SectionAfterUtf8Mark(const char* bytes, DWORD count, char (&name)[64])
{
    if (count < kUtf8MarkLength || memcmp(bytes, kUtf8Mark, kUtf8MarkLength) != 0) return false;
    DWORD i = kUtf8MarkLength;
    while (i < count && (bytes[i] == ' ' || bytes[i] == '\t')) ++i;
    if (i >= count || bytes[i] != '[') return false;
    DWORD length = 0;
    for (++i; i < count && bytes[i] != ']' && bytes[i] != '\r' && bytes[i] != '\n' && length + 1 < sizeof name; ++i)
        name[length++] = bytes[i];
    name[length] = '\0';
    return true;
}

}  // namespace

ServiceListFile ProbeServiceList(const char* path)
{
    char start[kProbeLength];
    DWORD count = 0;
    const DWORD error = ReadFileStart(path, start, sizeof start, count);
    if (error != 0) return Unreadable(error);
    ServiceListFile list = {ListFileState::kReadable, 0, false, "", false};
    list.utf8MarkHidesFirstSection = SectionAfterUtf8Mark(start, count, list.hiddenSection);
    list.utf16BigEndian =
        count >= 2 && static_cast<unsigned char>(start[0]) == 0xFE && static_cast<unsigned char>(start[1]) == 0xFF;
    return list;
}
