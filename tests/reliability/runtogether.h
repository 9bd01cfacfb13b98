// RunTogether: starts several programs at the same instant, each with its standard output in a
// file of its own, and waits for all of them within one bound that only stops hangs.
#ifndef ZSTARTUP_TESTS_RELIABILITY_RUNTOGETHER_H
#define ZSTARTUP_TESTS_RELIABILITY_RUNTOGETHER_H

#include <windows.h>

#include <string>
#include <vector>

#include "tests/harness/runprogram.h"

// Each launch's output goes to <outputFolder>\stdout-<index>.txt. All processes are created
// suspended and resumed together; at most MAXIMUM_WAIT_OBJECTS launches. The result has one
// entry per launch, in order (elapsedMs is not measured per launch and stays 0).
std::vector<ProgramRun> RunTogether(const std::vector<ProgramLaunch>& launches, const std::string& outputFolder,
                                    DWORD boundMs);

#endif
