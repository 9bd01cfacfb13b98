// The service list file: whether it can be read, how Windows will read it, and a hold that
// keeps its contents as they are while the launcher reads it.
#ifndef ZSTARTUP_RUNRULES_SERVICELISTFILE_H
#define ZSTARTUP_RUNRULES_SERVICELISTFILE_H

#include <windows.h>

#include "lowtracessupport/widepathfile.h"

enum class ListFileState {
    kAbsent,  // no such file or folder: nothing to do
    kReadable,
    kUnreadable,  // it is there but cannot be read: a folder of that name, access denied, held...
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

// The list held open for reading while the object lives. The profile reader opens the file
// anew for every value and reads an empty value when that open fails, which would end the list
// early without a word. So the hold shares the file with readers only, and keeps a shared lock
// on every byte: while it lives no program can open the file refusing read sharing, open it
// for writing, rename or delete it, or lock any part of it exclusively (Windows' ReadFile
// fails in a range another handle has locked). A program that did one of these before the
// hold makes the list unreadable (its error: 32 or 33) instead. The profile reader's own
// opens, for reading, still succeed.
class HeldServiceList {
public:
    // Opens the list at path, locks it and looks at its start. Only "file not found" and "path
    // not found" count as absent; the file is held only when readable.
    explicit HeldServiceList(const wchar_t* path);

    const ServiceListFile& File() const { return file_; }

    HeldServiceList(const HeldServiceList&) = delete;             // holds the file
    HeldServiceList& operator=(const HeldServiceList&) = delete;  // holds the file

private:
    WidePathFile hold_;
    ServiceListFile file_;
};

// What HeldServiceList finds for a list path in the ANSI code page; the hold ends on return.
ServiceListFile ProbeServiceList(const char* path);

#endif
