// Another program taking the service list while a run reads it: the run acts on the whole list,
// or says that it could not read it; it never ends the list early without a word. The programs
// are threads of this test opening the real file with the real share modes.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <iostream>
#include <thread>

#include "tests/harness/launcherscenario.h"
#include "tests/harness/registeredservice.h"
#include "tests/harness/widetext.h"

namespace {

// Opens path sharing nothing, as any account that may read the folder can.
HANDLE OpenSharingNothing(const std::wstring& path)
{
    return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string Stopped(const RegisteredService& service)
{
    return "[zStartup] Success stopping service " + service.Name();
}
std::string Started(const RegisteredService& service)
{
    return "[zStartup] Success starting service " + service.Name();
}

class ServiceListHeld : public LauncherScenario {};

// The list stops the service under key 0 and starts it again under key 1. From the moment the
// stop request has arrived (the service is stop-pending for 1.5 s), another program tries to
// hold the list, sharing nothing, until the run ends.
TEST_F(ServiceListHeld, HoldTakenAfterTheFirstEntryDoesNotShortenTheList)
{
    RegisteredService service("--event=plain --signal-after=1500");
    ASSERT_EQ(service.StartAndWaitRunning(), 0u);
    folder_.Write("Services.ini", "[STOP]\r\n0=" + service.Name() + "\r\n[START]\r\n1=" + service.Name() + "\r\n");
    const std::wstring list = Wide(folder_.PathOf("Services.ini"));

    std::atomic<bool> runEnded(false);
    std::atomic<bool> stopSeen(false);
    HANDLE held = INVALID_HANDLE_VALUE;
    std::thread holder([&] {
        while (!runEnded && service.State() != SERVICE_STOP_PENDING) Sleep(5);
        stopSeen = !runEnded;
        while (!runEnded && held == INVALID_HANDLE_VALUE) {
            held = OpenSharingNothing(list);
            Sleep(5);
        }
    });
    ProgramRun run = Run();
    runEnded = true;
    holder.join();
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);

    EXPECT_TRUE(stopSeen) << "the service never went stop-pending";
    ExpectTrace(run, Frame({Stopped(service), Started(service)}));
    EXPECT_EQ(service.State(), static_cast<DWORD>(SERVICE_RUNNING));
}

// A program that takes and releases the list every 2 ms over many runs of a restart: each run
// either reads the whole list (the stop and the start) or, when the program held the list as
// the run opened it, says so; no run stops the service without starting it again. The start
// is the next key's, read only once the stop is done, so that a cut list shows as a missing
// start.
TEST_F(ServiceListHeld, TogglingHoldGivesTheWholeListOrTheErrorLine)
{
    const int kRuns = 15;
    RegisteredService service;
    ASSERT_EQ(service.StartAndWaitRunning(), 0u);
    folder_.Write("Services.ini", "[STOP]\r\n0=" + service.Name() + "\r\n[START]\r\n1=" + service.Name() + "\r\n");
    const std::wstring list = Wide(folder_.PathOf("Services.ini"));
    const std::string whole = OutputText(Frame({Stopped(service), Started(service)}));
    const std::string refused = OutputText(Frame({"[zStartup] Error reading service list: error 32"}));

    std::atomic<bool> done(false);
    std::thread toggler([&] {
        while (!done) {
            HANDLE held = OpenSharingNothing(list);
            Sleep(2);
            if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
            Sleep(2);
        }
    });
    int wholeRuns = 0, refusedRuns = 0;
    for (int i = 0; i < kRuns; ++i) {
        ProgramRun run = Run();
        if (run.output == whole) {
            ++wholeRuns;
        } else if (run.output == refused) {
            ++refusedRuns;
        } else {
            ADD_FAILURE() << "run " << i << " neither whole nor refused:\n" << run.output;
        }
        if (!service.WaitForState(SERVICE_RUNNING, 5000)) {
            ADD_FAILURE() << "run " << i << " left the service stopped";
            break;  // the toggler is still to be joined
        }
    }
    done = true;
    toggler.join();
    std::cout << "toggling hold: " << wholeRuns << " whole runs, " << refusedRuns << " refused\n";
}

}  // namespace
