#include "runrules/servicelistfile.h"

#include "lowtracessupport/ansitext.h"
#include "lowtracessupport/modulepath.h"

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

ServiceListFile Probe(const char* start, DWORD count)
{
    ServiceListFile list = {ListFileState::kReadable, 0, false, "", false};
    list.utf8MarkHidesFirstSection = SectionAfterUtf8Mark(start, count, list.hiddenSection);
    list.utf16BigEndian =
        count >= 2 && static_cast<unsigned char>(start[0]) == 0xFE && static_cast<unsigned char>(start[1]) == 0xFF;
    return list;
}

}  // namespace

HeldServiceList::HeldServiceList(const wchar_t* path)
{
    DWORD error = hold_.Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (error == 0) error = hold_.LockAllShared();
    char start[kProbeLength];
    DWORD count = 0;
    if (error == 0) error = hold_.Read(start, sizeof start, count);
    if (error != 0) {
        hold_.Close();
        file_ = Unreadable(error);
        return;
    }
    file_ = Probe(start, count);
}

ServiceListFile ProbeServiceList(const char* path)
{
    wchar_t widePath[kLongestPath];
    if (!FromAnsiText(path, widePath, kLongestPath)) return Unreadable(ERROR_FILENAME_EXCED_RANGE);
    const HeldServiceList list(widePath);
    return list.File();
}
