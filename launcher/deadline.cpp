#include "launcher/deadline.h"

#include "launcher/launcherconstants.h"

Deadline::Deadline(DWORD timeout) : clock(), start(clock.Now()), timeout(timeout) {}

bool Deadline::Passed() const { return timeout != kNoTimeout && clock.Now() - start >= timeout; }
