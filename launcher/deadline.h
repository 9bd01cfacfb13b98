// Deadline: the end of one bounded wait on the millisecond clock.
#ifndef ZSTARTUP_LAUNCHER_DEADLINE_H
#define ZSTARTUP_LAUNCHER_DEADLINE_H

#include <windows.h>

#include "launcher/millisecondclock.h"

class Deadline {
public:
    // timeout ms from now; kNoTimeout never passes.
    explicit Deadline(DWORD timeout);
    // Whether at least timeout ms have passed, correct across the clock's wrap at 2^32.
    bool Passed() const;

private:
    MillisecondClock clock;
    DWORD start;
    DWORD timeout;
};

#endif
