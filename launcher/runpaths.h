// RunPaths: the paths one run derives from the executable's own location.
#ifndef ZSTARTUP_LAUNCHER_RUNPATHS_H
#define ZSTARTUP_LAUNCHER_RUNPATHS_H

struct RunPaths {
    // The executable's path with ".bat" in place of its extension: C:\Show\zStartup.bat.
    char batch[1024];
    // The batch path's folder without a trailing backslash (C:\Show), except at a drive root,
    // which keeps it (C:\): "C:" alone would mean the drive's current directory.
    char directory[1024];
    // directory + "\Services.ini"; empty when that does not fit, and the list is not read.
    char serviceList[256];
};

// Fills paths from the executable's location. When its path cannot be read whole (longer
// than 1023 characters) or has no folder: batch "zStartup.bat", directory "" and service list
// ".\Services.ini", all in the current directory (the explicit ".\" keeps the profile reader
// from looking in the Windows directory instead).
void DeriveRunPaths(RunPaths& paths);

#endif
