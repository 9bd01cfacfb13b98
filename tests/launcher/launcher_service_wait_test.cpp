// The bounded waits of one stop or start, against test services that take their time, never
// signal, refuse or die. Each row bounds the run from below (a wait the behaviour requires)
// and from above (no wait may last longer than the launcher promises).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

#include "tests/harness/eventsquatter.h"
#include "tests/harness/launcherscenario.h"
#include "tests/harness/registeredservice.h"

namespace {

struct WaitCase {
    const char* name;
    bool stop;            // STOP entry, else START entry
    const char* options;  // test service arguments
    bool runningFirst;    // started through the service manager before the run
    bool success;
    DWORD atLeastMs;
    DWORD atMostMs;
};

// The launcher gives up a wait after 5000 ms; the run as a whole must have lasted nearly that,
// and not much more: one more start poll and the program's own start and end.
const DWORD kGaveUpMs = 4500;
const DWORD kGaveUpAtMostMs = 6500;
// A service that takes one second must have been waited for nearly that long, and the launcher
// must notice within a poll or two.
const DWORD kWaitedOneSecondMs = 900;
const DWORD kOneSecondAtMostMs = 1600;
// Nothing to wait for.
const DWORD kAtOnceMs = 1500;

// clang-format off
const WaitCase kCases[] = {
    {"StartWithinOneSecondIsSuccess", false, "--start-delay=1000", false, true, kWaitedOneSecondMs,
     kOneSecondAtMostMs},
    {"StartNeedingEightSecondsIsErrorAfterTimeout", false, "--start-delay=8000", false, false, kGaveUpMs,
     kGaveUpAtMostMs},
    {"StartNeverReachingRunningIsErrorAfterTimeout", false, "--start-delay=never", false, false, kGaveUpMs,
     kGaveUpAtMostMs},
    {"StartOfServiceExitingAtOnceIsErrorWithoutWaiting", false, "--exit-at-start", false, false, 0, kAtOnceMs},
    {"StartOfRunningServiceIsError", false, "", true, false, 0, kAtOnceMs},
    {"StopWithoutEventIsSuccess", true, "", true, true, 0, kAtOnceMs},
    // Accepting the stop request is not having stopped: without an event the state says when.
    {"StopWithoutEventWaitsUntilStopped", true, "--stopped-after=1000", true, true, kWaitedOneSecondMs,
     kOneSecondAtMostMs},
    {"StopAcceptedButNeverFinishedIsErrorAfterTimeout", true, "--stopped-after=never", true, false, kGaveUpMs,
     kGaveUpAtMostMs},
    // The 5 s begin when the control handler has answered: 4 s in the handler, 2.5 s more to stop.
    {"StopWaitCountsFromTheHandlersAnswer", true, "--stop-handler-blocks=4000 --stopped-after=2500", true, true, 6400,
     7600},
    {"StopWaitsForPlainEvent", true, "--event=plain --signal-after=1000", true, true, kWaitedOneSecondMs,
     kOneSecondAtMostMs},
    {"StopWaitsForGlobalEvent", true, "--event=global --signal-after=1000", true, true, kWaitedOneSecondMs,
     kOneSecondAtMostMs},
    {"StopWithEventNeverSignalledIsErrorAfterTimeout", true, "--event=plain --signal-after=never", true, false,
     kGaveUpMs, kGaveUpAtMostMs},
    {"StopOfServiceDyingWhilePendingIsErrorAfterTimeout", true, "--event=global --die-on-stop", true, false,
     kGaveUpMs, kGaveUpAtMostMs},
    {"StopWithUnopenableEventWaitsUntilStopped", true, "--event=mutex --stopped-after=1000", true, true,
     kWaitedOneSecondMs, kOneSecondAtMostMs},
    {"StopWithUnopenableEventNeverStoppingIsErrorAfterTimeout", true, "--event=mutex --stopped-after=never", true,
     false, kGaveUpMs, kGaveUpAtMostMs},
    // The README's event ends the wait at its signal, well before the state says stopped; an
    // event that cannot prove itself the service's own is not waited on, the state is.
    {"StopWaitsForTheGuidesEventNotForTheState", true, "--event=global --signal-after=500 --stopped-after=2000", true,
     true, 400, 1500},
    {"StopWithEventOthersMayOnlyWaitOnPollsTheState", true,
     "--event=global --event-rights=synchronize --signal-after=300 --stopped-after=1500", true, true, 1700, 2700},
    {"StopWithEventWithoutOwnerPollsTheState", true,
     "--event=global --event-without-descriptor --signal-after=300 --stopped-after=1500", true, true, 1700, 2700},
    {"StopRefusedIsError", true, "--event=plain --refuse-stop", true, false, 0, kAtOnceMs},
    {"StopOfStoppedServiceIsError", true, "--event=plain", false, false, 0, kAtOnceMs},
};
// clang-format on

class ServiceWait : public LauncherScenario, public ::testing::WithParamInterface<WaitCase> {};

TEST_P(ServiceWait, TracesOutcome)
{
    const WaitCase& row = GetParam();
    RegisteredService service(row.options);
    if (row.runningFirst) {
        ASSERT_EQ(service.StartAndWaitRunning(), 0u);
    }
    folder_.Write("Services.ini", std::string(row.stop ? "[STOP]" : "[START]") + "\r\n0=" + service.Name() + "\r\n");

    ProgramRun run = Run();

    std::string line = std::string("[zStartup] ") + (row.success ? "Success " : "Error ") +
                       (row.stop ? "stopping" : "starting") + " service " + service.Name();
    ExpectTrace(run, Frame({line}));
    EXPECT_GE(run.elapsedMs, row.atLeastMs);
    EXPECT_LE(run.elapsedMs, row.atMostMs);
}

INSTANTIATE_TEST_SUITE_P(Launcher, ServiceWait, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<WaitCase>& info) { return info.param.name; });

// Which event a stop waits for: the service's own, under its registered spelling, whatever the
// list's spelling, and the Global\ one before a plain one that any program could have made.
struct EventNameCase {
    const char* name;
    const char* options;
    bool listInUpperCase;
    int squattedPlainEvent;  // -1: none; 0 or 1: a plain event of that name made by the test, signalled or not
    DWORD signalAfterMs;     // the service's own announcement
};

// clang-format off
const EventNameCase kEventNameCases[] = {
    {"GlobalEventFoundUnderRegisteredSpelling", "--event=global --signal-after=1500", true, -1, 1500},
    {"PlainEventFoundUnderRegisteredSpelling", "--event=plain --signal-after=1500", true, -1, 1500},
    {"SignalledPlainSquatterDoesNotEndTheWait", "--event=global --signal-after=1500", false, 1, 1500},
    {"UnsignalledPlainSquatterDoesNotHoldTheWait", "--event=global --signal-after=500", false, 0, 500},
};
// clang-format on

class StopEventName : public LauncherScenario, public ::testing::WithParamInterface<EventNameCase> {};

TEST_P(StopEventName, WaitsForTheServicesOwnAnnouncement)
{
    const EventNameCase& row = GetParam();
    RegisteredService service(row.options);
    ASSERT_EQ(service.StartAndWaitRunning(), 0u);
    HANDLE squatter = nullptr;
    if (row.squattedPlainEvent >= 0) {
        squatter = CreateEventA(nullptr, TRUE, row.squattedPlainEvent == 1, (service.Name() + ".Event").c_str());
        ASSERT_NE(squatter, nullptr);
        ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "the service's own plain event";
    }
    std::string listed = service.Name();
    if (row.listInUpperCase) CharUpperBuffA(&listed[0], static_cast<DWORD>(listed.size()));
    folder_.Write("Services.ini", "[STOP]\r\n0=" + listed + "\r\n");

    ProgramRun run = Run();
    if (squatter != nullptr) CloseHandle(squatter);

    ExpectTrace(run, Frame({"[zStartup] Success stopping service " + listed}));
    EXPECT_GE(run.elapsedMs, row.signalAfterMs - 100);
    EXPECT_LE(run.elapsedMs, row.signalAfterMs + 1000);
}

INSTANTIATE_TEST_SUITE_P(Launcher, StopEventName, ::testing::ValuesIn(kEventNameCases),
                         [](const ::testing::TestParamInfo<EventNameCase>& info) { return info.param.name; });

// What another program can do with the event's names, and the stop it must not end early:
// the service takes 2 s to stop, and the squatter signals the moment the stop is requested.
enum class GlobalName { kFree, kForeignEvent, kMutex };

struct SquatCase {
    const char* name;
    const char* options;
    GlobalName global;   // what the test makes under Global\<name>.Event before the run
    bool ownPlainEvent;  // <name>.Event, owned by the launcher's own user
    bool keptAlive;      // the service's own event kept open, signalled, across a restart
    DWORD atLeastMs;
    DWORD atMostMs;
};

const char kForeignUser[] = "S-1-5-21-1-2-3-1001";
const DWORD kStoppedAfterTwoSecondsMs = 1900;
const DWORD kPolledAtMostMs = 3200;

// clang-format off
const SquatCase kSquats[] = {
    {"ForeignOwnedGlobalEventDoesNotEndTheWait", "--stopped-after=2000", GlobalName::kForeignEvent, false, false,
     kStoppedAfterTwoSecondsMs, kPolledAtMostMs},
    {"ForeignOwnedGlobalEventTheServiceOpensDoesNotEndTheWait", "--event=global --signal-after=2000",
     GlobalName::kForeignEvent, false, false, kStoppedAfterTwoSecondsMs, kPolledAtMostMs},
    {"GlobalNameOfAnotherKindDoesNotLetAPlainEventEndTheWait", "--stopped-after=2000", GlobalName::kMutex, true,
     false, kStoppedAfterTwoSecondsMs, kPolledAtMostMs},
    {"RefusedGlobalEventDoesNotLetAPlainEventEndTheWait", "--event=global --event-rights=none --signal-after=2000",
     GlobalName::kFree, true, false,
     kStoppedAfterTwoSecondsMs, kPolledAtMostMs},
    {"EventSignalledSinceTheLastStopDoesNotEndTheWait", "--event=global --keep-existing-event --signal-after=2000",
     GlobalName::kFree, false, true, kStoppedAfterTwoSecondsMs, kPolledAtMostMs},
    {"EventKeptAliveButResetByTheServiceIsWaitedFor", "--event=global --signal-after=500 --stopped-after=2000",
     GlobalName::kFree, false, true, 400, 1500},
};
// clang-format on

class StopEventSquatter : public LauncherScenario, public ::testing::WithParamInterface<SquatCase> {};

TEST_P(StopEventSquatter, StopIsDoneOnlyWhenTheServiceIsDone)
{
    const SquatCase& row = GetParam();
    RegisteredService service(row.options);
    const std::string globalName = "Global\\" + service.Name() + ".Event";
    HANDLE global = nullptr;
    if (row.global == GlobalName::kForeignEvent) global = CreateOwnedEvent(globalName, kForeignUser, false);
    if (row.global == GlobalName::kMutex) global = CreateMutexA(nullptr, FALSE, globalName.c_str());
    ASSERT_EQ(service.StartAndWaitRunning(), 0u);
    HANDLE plain = row.ownPlainEvent ? CreateOwnedEvent(service.Name() + ".Event", OwnUserSid(), false) : nullptr;
    HANDLE kept = row.keptAlive ? KeepEventAcrossRestart(service, globalName) : nullptr;
    folder_.Write("Services.ini", "[STOP]\r\n0=" + service.Name() + "\r\n");

    ProgramRun run;
    {
        SignalWhenStopPending early(service, row.global == GlobalName::kForeignEvent ? global : plain);
        run = Run();
    }
    for (HANDLE handle : {global, plain, kept}) {
        if (handle != nullptr) CloseHandle(handle);
    }

    ExpectTrace(run, Frame({"[zStartup] Success stopping service " + service.Name()}));
    EXPECT_GE(run.elapsedMs, row.atLeastMs);
    EXPECT_LE(run.elapsedMs, row.atMostMs);
}

INSTANTIATE_TEST_SUITE_P(Launcher, StopEventSquatter, ::testing::ValuesIn(kSquats),
                         [](const ::testing::TestParamInfo<SquatCase>& info) { return info.param.name; });

// A control handler that never returns: the stop request waits for the service manager's own
// limit (30 s on Windows, about 10 s under Wine), longer than the entry's 5 s, then fails; the
// run reports the error and goes on with the entry's start.
TEST_F(LauncherScenario, StopWhoseHandlerNeverAnswersIsErrorAndTheRunGoesOn)
{
    RegisteredService blocked("--stop-handler-blocks=never");
    RegisteredService next;
    ASSERT_EQ(blocked.StartAndWaitRunning(), 0u);
    folder_.Write("Services.ini", "[STOP]\r\n0=" + blocked.Name() + "\r\n[START]\r\n0=" + next.Name() + "\r\n");

    ProgramRun run = Run();

    ExpectTrace(run, Frame({"[zStartup] Error stopping service " + blocked.Name(),
                            "[zStartup] Success starting service " + next.Name()}));
    EXPECT_EQ(next.State(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_GT(run.elapsedMs, 5000u) << "the stop request itself is not bounded by the entry's wait";
    EXPECT_LE(run.elapsedMs, 30000u + 5000u + 5200u + 1500u) << "the manager's answer, then each entry's wait";
}

// Whose announcement ends a stop: a Global\ event owned by each kind of account, signalled the
// moment the stop is requested, against a service configured to run as each kind of account.
// The service itself has no event and takes 2 s to stop. Only its service SID, the account it
// runs as, and Administrators for LocalSystem may announce it (what a service in session 0
// can own); a domain account is never looked up, so only the service SID proves itself there.
struct AccountKind {
    const char* name;
    const char* startName;      // {user}: this program's user, which the launcher also runs as
    const char* ownSidService;  // the service registered for the row owned by its service SID
    const char* ownSid;         // NT SERVICE\<ownSidService>, worked out with Python's hashlib
};

const AccountKind kAccounts[] = {
    {"LocalSystem", "LocalSystem", "zstOwnSid1", "S-1-5-80-2500953599-3638720805-4079359513-2860695026-3419687544"},
    {"LocalService", "NT AUTHORITY\\LocalService", "zstOwnSid2",
     "S-1-5-80-1778390630-69997248-2737221243-147402086-807806543"},
    {"NetworkService", "NT AUTHORITY\\NetworkService", "zstOwnSid3",
     "S-1-5-80-1039325846-2996553538-2638636940-990804323-3401920504"},
    {"TheLaunchersUser", ".\\{user}", "zstOwnSid4", "S-1-5-80-4186009551-2474243443-82590427-2595303849-1901248494"},
    {"ADomainUser", "ZSTDOMAIN\\{user}", "zstOwnSid5",
     "S-1-5-80-3778329042-311031357-3473918356-4243887754-3481249944"},
};

const char kItsServiceSid[] = "{own}";
const char kTheLaunchersUser[] = "{me}";

struct OwnerKind {
    const char* name;
    const char* sid;
};

const OwnerKind kOwners[] = {
    {"LocalSystem", "S-1-5-18"},
    {"Administrators", "S-1-5-32-544"},
    {"LocalService", "S-1-5-19"},
    {"NetworkService", "S-1-5-20"},
    {"ItsServiceSid", kItsServiceSid},
    {"AnotherServicesSid", "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"},  // TrustedInstaller
    {"MadeUpServiceSid", "S-1-5-80-1-2-3-4-5"},
    {"TheLaunchersUser", kTheLaunchersUser},
    {"AnotherUser", kForeignUser},
};

// clang-format off
// Rows: kAccounts; columns: kOwners.
const bool kAccepted[][sizeof kOwners / sizeof kOwners[0]] = {
//   System Admins LocalSv NetSv  its80  other80 madeUp me     other
    {true,  true,  false,  false, true,  false,  false, false, false},  // LocalSystem
    {false, false, true,   false, true,  false,  false, false, false},  // LocalService
    {false, false, false,  true,  true,  false,  false, false, false},  // NetworkService
    {false, false, false,  false, true,  false,  false, true,  false},  // the launcher's user
    {false, false, false,  false, true,  false,  false, false, false},  // a domain user
};
// clang-format on

std::string WithUser(std::string text)
{
    char user[257];
    DWORD size = sizeof user;
    EXPECT_TRUE(GetUserNameA(user, &size));
    const size_t at = text.find("{user}");
    return at == std::string::npos ? text : text.replace(at, 6, user);
}

std::string OwnerSid(const OwnerKind& owner, const AccountKind& account)
{
    if (owner.sid == kItsServiceSid) return account.ownSid;
    if (owner.sid == kTheLaunchersUser) return OwnUserSid();
    return owner.sid;
}

class StopEventOwnerFit : public LauncherScenario, public ::testing::WithParamInterface<std::tuple<size_t, size_t>> {};

TEST_P(StopEventOwnerFit, OnlyTheServicesOwnAccountEndsTheWait)
{
    const AccountKind& account = kAccounts[std::get<0>(GetParam())];
    const OwnerKind& owner = kOwners[std::get<1>(GetParam())];
    const bool accepted = kAccepted[std::get<0>(GetParam())][std::get<1>(GetParam())];
    const char kStopsInTwoSeconds[] = "--stopped-after=2000";
    std::unique_ptr<RegisteredService> service =
        owner.sid == kItsServiceSid ? std::make_unique<RegisteredService>(kStopsInTwoSeconds, account.ownSidService)
                                    : std::make_unique<RegisteredService>(kStopsInTwoSeconds);
    service->RunAs(WithUser(account.startName));
    ASSERT_EQ(service->StartAndWaitRunning(), 0u);
    HANDLE event = CreateOwnedEvent("Global\\" + service->Name() + ".Event", OwnerSid(owner, account), false);
    folder_.Write("Services.ini", "[STOP]\r\n0=" + service->Name() + "\r\n");

    ProgramRun run;
    DWORD stateAtTheEnd = 0;
    {
        SignalWhenStopPending early(*service, event);
        run = Run();
        stateAtTheEnd = service->State();
    }
    if (event != nullptr) CloseHandle(event);

    ExpectTrace(run, Frame({"[zStartup] Success stopping service " + service->Name()}));
    if (accepted) {
        EXPECT_EQ(stateAtTheEnd, static_cast<DWORD>(SERVICE_STOP_PENDING)) << "the service's own word ends the wait";
        service->WaitForState(SERVICE_STOPPED, 5000);  // its own stop, quicker than a kill
    } else {
        EXPECT_EQ(stateAtTheEnd, static_cast<DWORD>(SERVICE_STOPPED)) << "another account's word must not";
        EXPECT_GE(run.elapsedMs, kStoppedAfterTwoSecondsMs);
    }
}

INSTANTIATE_TEST_SUITE_P(Launcher, StopEventOwnerFit,
                         ::testing::Combine(::testing::Range<size_t>(0, sizeof kAccounts / sizeof kAccounts[0]),
                                            ::testing::Range<size_t>(0, sizeof kOwners / sizeof kOwners[0])),
                         [](const ::testing::TestParamInfo<std::tuple<size_t, size_t>>& info) {
                             return std::string(kAccounts[std::get<0>(info.param)].name) + "_OwnedBy" +
                                    kOwners[std::get<1>(info.param)].name;
                         });

}  // namespace
