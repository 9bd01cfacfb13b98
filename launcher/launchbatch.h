// LaunchBatch: opens the batch file through the shell, without waiting for it.
#ifndef ZSTARTUP_LAUNCHER_LAUNCHBATCH_H
#define ZSTARTUP_LAUNCHER_LAUNCHBATCH_H

// Traces the batch path and directory, then either opens the batch file ("open" verb, no
// parameters, directory as its working directory, SW_SHOWNORMAL, without zone check or error
// boxes) and traces the shell's result as a signed number (above 32 on success, the shell's
// error value otherwise), or traces that it was not found.
void LaunchBatch(const char* batchPath, const char* directory);

#endif
