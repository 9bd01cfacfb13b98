// RunPaths: the paths a launcher run derives from the executable's own location.
#ifndef ZSTARTUP_RUNRULES_RUNPATHS_H
#define ZSTARTUP_RUNRULES_RUNPATHS_H

#include "lowtracessupport/modulepath.h"

// Why the service list cannot be read at all, whatever the folder holds.
enum class ListPathProblem {
    kNone,
    kTooLong,           // the folder's path leaves no room for "\Services.ini" in 256 characters
    kNotRepresentable,  // the executable's path cannot be written in the ANSI code page
};

struct RunPaths {
    // The executable's path with ".bat" in place of its extension: C:\Show\zStartup.bat.
    char batch[1024];
    // The batch path's folder without a trailing backslash (C:\Show), except at a drive root,
    // which keeps it (C:\): "C:" alone would mean the drive's current directory.
    char directory[1024];
    // directory + "\Services.ini"; empty when listProblem is kTooLong.
    char serviceList[256];
    ListPathProblem listProblem;
};

// Fills paths from the executable's path as ReadModulePath (or AnsiPathOf) gave it. When it
// is not kRead, or has no folder: batch "zStartup.bat", directory "" and service list
// ".\Services.ini", all in the current directory (the explicit ".\" keeps the profile reader
// from looking in the Windows directory instead); a path that is not representable also sets
// listProblem, since the list beside the executable is then out of reach.
void DeriveRunPaths(PathReading reading, const char* exePath, RunPaths& paths);

#endif
