// RunSequence: one whole run of the launcher.
#ifndef ZSTARTUP_LAUNCHER_RUNSEQUENCE_H
#define ZSTARTUP_LAUNCHER_RUNSEQUENCE_H

// Traces "started", derives the paths from the executable's location, works through
// Services.ini beside it when it exists, opens the batch file of the executable's base name,
// traces "stopped" and returns 0. Every failure becomes a trace line and the run goes on.
int RunSequence();

#endif
