// LaunchBatch: opens the batch file through the shell, without waiting for it.
#ifndef ZSTARTUP_LAUNCHER_LAUNCHBATCH_H
#define ZSTARTUP_LAUNCHER_LAUNCHBATCH_H

#include "runrules/runpaths.h"

// Traces the batch path and directory (as paths shows them in the ANSI code page), then either
// opens the batch file by its UTF-16 path ("open" verb, no parameters, the directory as its
// working directory, SW_SHOWNORMAL, without zone check or error boxes) and traces the shell's
// result as a signed number (above 32 on success, the shell's error value otherwise), or
// traces that it was not found. A batch path too long for its buffer opens nothing: only
// "[zStartup] Error opening batch file: path too long" is traced.
void LaunchBatch(const RunPaths& paths);

#endif
