// MillisecondClock: the multimedia millisecond clock (timeGetTime), wrapping at 2^32.
//
// winmm.dll is not a known DLL, so a static import would be looked up in the executable's own
// folder first, where a planted copy would run with the launcher's rights. The clock is
// therefore loaded at run time from the system directory only.
#ifndef ZSTARTUP_LAUNCHER_MILLISECONDCLOCK_H
#define ZSTARTUP_LAUNCHER_MILLISECONDCLOCK_H

#include <windows.h>

class MillisecondClock {
public:
    // Loads the system's winmm.dll. When it cannot be loaded, the clock falls back to
    // GetTickCount: the same milliseconds and wrap-around, coarser steps, so waits stay bounded.
    MillisecondClock();
    ~MillisecondClock();

    // Milliseconds since the system started, modulo 2^32.
    DWORD Now() const;

    MillisecondClock(const MillisecondClock&) = delete;             // owns a module reference
    MillisecondClock& operator=(const MillisecondClock&) = delete;  // owns a module reference

private:
    typedef DWORD(WINAPI* ClockFunction)();

    HMODULE winmm;
    ClockFunction clock;
};

#endif
