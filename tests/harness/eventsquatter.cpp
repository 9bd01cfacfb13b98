#include "tests/harness/eventsquatter.h"

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

HANDLE CreateOwnedEvent(const std::string& name, const std::string& ownerSid, bool signalled)
{
    HANDLE event = CreateEventA(nullptr, TRUE, signalled, name.c_str());
    if (event == nullptr) {
        ADD_FAILURE() << "CreateEvent " << name << " failed: " << GetLastError();
        return nullptr;
    }
    PSID owner = nullptr;
    DWORD error = ConvertStringSidToSidA(ownerSid.c_str(), &owner) ? 0 : GetLastError();
    if (error == 0) {
        error = SetSecurityInfo(event, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, owner, nullptr, nullptr, nullptr);
    }
    LocalFree(owner);
    if (error != 0) ADD_FAILURE() << "owner " << ownerSid << " for " << name << ": error " << error;
    return event;
}

HANDLE KeepEventAcrossRestart(RegisteredService& service, const std::string& eventName)
{
    HANDLE kept = OpenEventA(SYNCHRONIZE, FALSE, eventName.c_str());
    if (kept == nullptr) {
        ADD_FAILURE() << "OpenEvent " << eventName << " failed: " << GetLastError();
        return nullptr;
    }
    EXPECT_EQ(service.SendStop(), 0u);
    EXPECT_TRUE(service.WaitForState(SERVICE_STOPPED, 10000));
    EXPECT_EQ(WaitForSingleObject(kept, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "signalled by the stop";
    // Refused as still running until the stopped process has ended.
    DWORD error = ERROR_SERVICE_ALREADY_RUNNING;
    for (int attempt = 0; attempt < 50 && error == ERROR_SERVICE_ALREADY_RUNNING; ++attempt) {
        error = service.StartAndWaitRunning();
        if (error == ERROR_SERVICE_ALREADY_RUNNING) Sleep(100);
    }
    EXPECT_EQ(error, 0u) << "restart of " << service.Name();
    return kept;
}

SignalWhenStopPending::SignalWhenStopPending(RegisteredService& service, HANDLE event)
    : thread_([&service, event] {
          service.WaitForState(SERVICE_STOP_PENDING, 10000);
          SetEvent(event);
      })
{
}

SignalWhenStopPending::~SignalWhenStopPending() { thread_.join(); }
