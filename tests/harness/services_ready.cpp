// Setup of every Wine prefix's fixture: right after a prefix boots, the service manager refuses
// or times out starts for up to a minute. Tests begin only once a probe service really runs.
#include <gtest/gtest.h>

#include "tests/harness/registeredservice.h"

TEST(ServicesReady, ProbeServiceReachesRunning)
{
    RegisteredService probe;
    const DWORD begin = GetTickCount();
    DWORD lastResult = 0;
    while (probe.State() != SERVICE_RUNNING && GetTickCount() - begin < 90000) {
        lastResult = probe.StartAndWaitRunning();
        if (lastResult != 0) Sleep(1000);
    }
    ASSERT_EQ(probe.State(), static_cast<DWORD>(SERVICE_RUNNING)) << "last start result " << lastResult;
}
