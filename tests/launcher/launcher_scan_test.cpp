// The service list scan end to end: which keys are read, in which order, and what each
// entry does, with real services and a real Services.ini.
#include <gtest/gtest.h>

#include "tests/launcher/launcherscenario.h"
#include "tests/launcher/registeredservice.h"

namespace {

std::string Started(const RegisteredService& service) {
    return "[zStartup] Success starting service " + service.Name();
}

class ServiceListScan : public LauncherScenario {};

TEST_F(ServiceListScan, StartsEntriesInKeyOrderAndEndsAtFirstEmptyKey) {
    RegisteredService key0, key1, key3;
    folder_.Write("Services.ini", "[START]\r\n1=" + key1.Name() + "\r\n0=" + key0.Name() + "\r\n3=" +
                                      key3.Name() + "\r\n");
    ProgramRun run = Run();
    ExpectTrace(run, Frame({Started(key0), Started(key1)}));
    EXPECT_EQ(key0.State(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(key1.State(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(key3.State(), static_cast<DWORD>(SERVICE_STOPPED)) << "key 3 lies past the gap at key 2";
}

TEST_F(ServiceListScan, StopsThenStartsWithinOneEntry) {
    RegisteredService stopped("--event=plain --signal-after=300");
    RegisteredService started;
    ASSERT_EQ(stopped.StartAndWaitRunning(), 0u);
    folder_.Write("Services.ini", "[START]\r\n0=" + started.Name() + "\r\n[STOP]\r\n0=" + stopped.Name() + "\r\n");
    ProgramRun run = Run();
    ExpectTrace(run, Frame({"[zStartup] Success stopping service " + stopped.Name(), Started(started)}));
    EXPECT_TRUE(stopped.WaitForState(SERVICE_STOPPED, 5000));
    EXPECT_EQ(started.State(), static_cast<DWORD>(SERVICE_RUNNING));
}

// The stop event comes just before the service reports stopped: the start of the same
// service in the same entry must wait out that moment rather than fail as "already running".
TEST_F(ServiceListScan, RestartsAServiceStillFinishingItsStop) {
    RegisteredService service("--event=plain --signal-after=0 --stopped-after=1500");
    ASSERT_EQ(service.StartAndWaitRunning(), 0u);
    folder_.Write("Services.ini", "[STOP]\r\n0=" + service.Name() + "\r\n[START]\r\n0=" + service.Name() + "\r\n");
    ProgramRun run = Run();
    ExpectTrace(run, Frame({"[zStartup] Success stopping service " + service.Name(), Started(service)}));
    EXPECT_EQ(service.State(), static_cast<DWORD>(SERVICE_RUNNING));
}

TEST_F(ServiceListScan, ReadsKeyColonAfterTenEntries) {
    RegisteredService colon, pastEnd;
    std::string ini = "[START]\r\n";
    TraceLines serviceLines;
    for (char key = '0'; key <= '9'; ++key) {
        std::string missing = std::string("zstNoSuchService") + key;
        ini += std::string(1, key) + "=" + missing + "\r\n";
        serviceLines.push_back("[zStartup] Error starting service " + missing);
    }
    // ';' is empty, so '<' is never read.
    ini += ":=" + colon.Name() + "\r\n<=" + pastEnd.Name() + "\r\n";
    folder_.Write("Services.ini", ini);
    serviceLines.push_back(Started(colon));

    ProgramRun run = Run();
    ExpectTrace(run, Frame(serviceLines));
    EXPECT_EQ(pastEnd.State(), static_cast<DWORD>(SERVICE_STOPPED));
}

TEST_F(ServiceListScan, UnknownServiceNamesAreErrorLines) {
    folder_.Write("Services.ini", "[STOP]\r\n0=zstNoSuchStop\r\n[START]\r\n0=zstNoSuchStart\r\n1=\r\n");
    ProgramRun run = Run();
    ExpectTrace(run, Frame({"[zStartup] Error stopping service zstNoSuchStop",
                            "[zStartup] Error starting service zstNoSuchStart"}));
}

TEST_F(ServiceListScan, ListWithoutEntriesLeavesNoServiceLine) {
    folder_.Write("Services.ini", "[STOP]\r\n[START]\r\n1=zstNeverRead\r\n");
    ProgramRun run = Run();
    ExpectTrace(run, Frame({}));
}

}  // namespace
