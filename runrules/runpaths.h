// RunPaths: the paths a launcher run derives from the executable's own location.
#ifndef ZSTARTUP_RUNRULES_RUNPATHS_H
#define ZSTARTUP_RUNRULES_RUNPATHS_H

#include "lowtracessupport/modulepath.h"

// Why the service list cannot be read at all, whatever the folder holds.
enum class ListPathProblem {
    kNone,
    kTooLong,  // the folder's path leaves no room for "\Services.ini" in 256 characters
    // Only from an ANSI path (the checker's view): the executable's path cannot be written in
    // the ANSI code page, so nothing beside it can be reached through that code page.
    kNotRepresentable,
};

struct RunPaths {
    // What the launcher opens, in UTF-16: a folder name the ANSI code page cannot hold is
    // reached all the same.
    // The executable's path with ".bat" in place of its extension: C:\Show\zStartup.bat.
    wchar_t wideBatch[1024];
    // The batch path's folder without a trailing backslash (C:\Show), except at a drive root,
    // which keeps it (C:\): "C:" alone would mean the drive's current directory.
    wchar_t wideDirectory[1024];
    // wideDirectory + "\Services.ini"; empty when listProblem is set.
    wchar_t wideServiceList[256];
    // The same three in the ANSI code page, as trace lines show them and the checker's ANSI
    // calls open them: exactly when the code page holds every character, else with its default
    // character ('?') for each it lacks. A path fits its capacity only when both forms fit, so
    // a path the code page holds fits as it did when paths were ANSI only.
    char batch[1024];
    char directory[1024];
    char serviceList[256];
    // The batch path does not fit: there is no batch path, folder or list path (all empty,
    // listProblem kTooLong), and the launcher opens nothing in their place.
    bool batchTooLong;
    ListPathProblem listProblem;
};

// Fills paths from the executable's UTF-16 path, as ReadModulePath gave it; null when it
// could not be read, or names no folder: batch "zStartup.bat", directory "" and service list
// ".\Services.ini", all in the current directory (the explicit ".\" keeps the profile reader
// from looking in the Windows directory instead).
void DeriveRunPaths(const wchar_t* exePath, RunPaths& paths);

// The same from the executable's path in the ANSI code page, as AnsiPathOf gave it. When it
// is not kRead, the paths of a null exePath; a path that is not representable also sets
// listProblem to kNotRepresentable.
void DeriveRunPaths(PathReading reading, const char* exePath, RunPaths& paths);

#endif
