// MillisecondClock through a static import of winmm.dll: the plantable way. Built only into
// the test program zStartupStaticWinmm, so that the DLL-planting test can show it catches
// this; the product uses millisecondclock.cpp.
#include "launcher/millisecondclock.h"

#include <mmsystem.h>

MillisecondClock::MillisecondClock() : winmm(NULL), clock(timeGetTime) {}

MillisecondClock::~MillisecondClock() {}

DWORD MillisecondClock::Now() const { return clock(); }
