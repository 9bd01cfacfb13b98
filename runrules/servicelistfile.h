// ProbeServiceList: whether the service list can be read, and how Windows will read it.
#ifndef ZSTARTUP_RUNRULES_SERVICELISTFILE_H
#define ZSTARTUP_RUNRULES_SERVICELISTFILE_H

#include <windows.h>

enum class ListFileState {
    kAbsent,  // no such file or folder: nothing to do
    kReadable,
    kUnreadable,  // it is there but cannot be read: a folder of that name, access denied...
};

struct ServiceListFile {
    ListFileState state = ListFileState::kAbsent;
    DWORD error = 0;  // the system error for kUnreadable, else 0
    // The file starts with the UTF-8 byte order mark followed by a section header on the same
    // line. Windows' profile reader knows only the UTF-16 mark and takes the three bytes as
    // part of that line, so the first section is invisible to it (Wine reads it all the same).
    bool utf8MarkHidesFirstSection = false;
    // The name of that section, cut to fit; "" when no section is hidden.
    char hiddenSection[64] = "";
    // The file starts with the UTF-16 big-endian mark (FE FF). Windows' profile reader reads
    // such a file as empty (Wine reads it all the same).
    bool utf16BigEndian = false;
};

// Opens the list for reading, as the profile reader will, and looks at its first line. Only
// "file not found" and "path not found" count as absent.
ServiceListFile ProbeServiceList(const char* path);

#endif
