// The bounded waits of one stop or start, against test services that take their time, never
// signal, refuse or die. A row's lower bound is a wait the behaviour requires; nothing is
// timed from above.
#include <gtest/gtest.h>

#include "tests/launcher/launcherscenario.h"
#include "tests/launcher/registeredservice.h"

namespace {

struct WaitCase {
    const char* name;
    bool stop;            // STOP entry, else START entry
    const char* options;  // test service arguments
    bool runningFirst;    // started through the service manager before the run
    bool success;
    DWORD atLeastMs;
};

// The launcher gives up a wait after 5000 ms; the run as a whole must have lasted nearly that.
const DWORD kGaveUpMs = 4500;
// A service that takes one second must have been waited for nearly that long.
const DWORD kWaitedOneSecondMs = 900;

const WaitCase kCases[] = {
    {"StartWithinOneSecondIsSuccess", false, "--start-delay=1000", false, true, kWaitedOneSecondMs},
    {"StartNeedingEightSecondsIsErrorAfterTimeout", false, "--start-delay=8000", false, false, kGaveUpMs},
    {"StartNeverReachingRunningIsErrorAfterTimeout", false, "--start-delay=never", false, false, kGaveUpMs},
    {"StartOfServiceExitingAtOnceIsError", false, "--exit-at-start", false, false, 0},
    {"StartOfRunningServiceIsError", false, "", true, false, 0},
    {"StopWithoutEventIsSuccess", true, "", true, true, 0},
    {"StopWaitsForPlainEvent", true, "--event=plain --signal-after=1000", true, true, kWaitedOneSecondMs},
    {"StopWaitsForGlobalEvent", true, "--event=global --signal-after=1000", true, true, kWaitedOneSecondMs},
    {"StopWithEventNeverSignalledIsErrorAfterTimeout", true, "--event=plain --signal-after=never", true, false,
     kGaveUpMs},
    {"StopOfServiceDyingWhilePendingIsErrorAfterTimeout", true, "--event=global --die-on-stop", true, false,
     kGaveUpMs},
    {"StopRefusedIsError", true, "--event=plain --refuse-stop", true, false, 0},
    {"StopOfStoppedServiceIsError", true, "--event=plain", false, false, 0},
};

class ServiceWait : public LauncherScenario, public ::testing::WithParamInterface<WaitCase> {};

TEST_P(ServiceWait, TracesOutcome) {
    const WaitCase& row = GetParam();
    RegisteredService service(row.options);
    if (row.runningFirst) {
        ASSERT_EQ(service.StartAndWaitRunning(), 0u);
    }
    folder_.Write("Services.ini",
                  std::string(row.stop ? "[STOP]" : "[START]") + "\r\n0=" + service.Name() + "\r\n");

    ProgramRun run = Run();

    std::string line = std::string("[zStartup] ") + (row.success ? "Success " : "Error ") +
                       (row.stop ? "stopping" : "starting") + " service " + service.Name();
    ExpectTrace(run, Frame({line}));
    EXPECT_GE(run.elapsedMs, row.atLeastMs);
}

INSTANTIATE_TEST_SUITE_P(Launcher, ServiceWait, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<WaitCase>& info) { return info.param.name; });

}  // namespace
