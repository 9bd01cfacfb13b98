// What another program can do with a service's stop-event names: create them first, own them,
// signal them early or keep the service's own event alive across a restart. Real objects,
// made by the test program as such a program would make them.
#ifndef ZSTARTUP_TESTS_HARNESS_EVENTSQUATTER_H
#define ZSTARTUP_TESTS_HARNESS_EVENTSQUATTER_H

#include <windows.h>

#include <string>
#include <thread>

#include "tests/harness/registeredservice.h"
#include "tests/testservice/ownusersid.h"

// A manual-reset event of that name, owned (through SetSecurityInfo) by ownerSid, signalled or
// not. Failure fails the current test and gives null.
HANDLE CreateOwnedEvent(const std::string& name, const std::string& ownerSid, bool signalled);

// Keeps the event of a running service open while the service is stopped through the
// manager (which signals it) and started again: the service's CreateEvent then gets the same
// event back, still signalled unless the service resets it.
// Failure fails the current test and gives null.
HANDLE KeepEventAcrossRestart(RegisteredService& service, const std::string& eventName);

// Signals event, from a thread, once service reports STOP_PENDING (or, at the latest, after
// 10 s): just after the launcher's stop request, as a program watching the service would.
class SignalWhenStopPending {
public:
    SignalWhenStopPending(RegisteredService& service, HANDLE event);
    ~SignalWhenStopPending();  // waits for the thread
    SignalWhenStopPending(const SignalWhenStopPending&) = delete;
    SignalWhenStopPending& operator=(const SignalWhenStopPending&) = delete;

private:
    std::thread thread_;
};

#endif
