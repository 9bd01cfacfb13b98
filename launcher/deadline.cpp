#include "launcher/deadline.h"

#include "runrules/runconstants.h"

Deadline::Deadline(DWORD timeout) : clock(), start(clock.Now()), timeout(timeout) {}

bool Deadline::Passed() const { return timeout != kNoTimeout && clock.Now() - start >= timeout; }
