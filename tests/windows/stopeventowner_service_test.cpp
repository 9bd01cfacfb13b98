// The launcher's stop-event owner check against events real services make in session 0: the
// test service, registered as LocalSystem, LocalService or NetworkService, creates its event
// with the guide's descriptor and no owner, so that Windows makes its token's default owner the
// event's. The launcher must wait on that event (StopEvent: kWaitable), and must refuse one a
// program of another account made first under the same name.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>

#include "helpers/uniqueany.h"
#include "runrules/stopevent.h"
#include "tests/harness/registeredservice.h"
#include "tests/windows/windowsonly.h"

namespace {

const char kWhy[] =
    "Wine runs every service in the user's session as the user, and gives an event made without "
    "an owner none: the owners services get in session 0 are Windows' alone";

const char kGuideWithoutOwner[] = "--event-rights=guide-without-owner";

struct AccountRow {
    const char* name;
    const char* account;  // ChangeServiceConfig's; null: LocalSystem, as CreateService leaves it
};

std::string SidText(PSID sid)
{
    UniqueLocal<char*> text;
    return ConvertSidToStringSidA(sid, text.Put()) ? text.Get() : std::string();
}

const AccountRow kAccounts[] = {
    {"LocalSystem", nullptr},
    {"LocalService", "NT AUTHORITY\\LocalService"},
    {"NetworkService", "NT AUTHORITY\\NetworkService"},
};

void PrintTo(const AccountRow& row, std::ostream* out) { *out << row.name; }

// The process of a running service, with its session; 0 when it cannot be read.
DWORD ProcessOf(const std::string& service, DWORD& session)
{
    const UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const UniqueServiceHandle opened(OpenServiceA(manager.Get(), service.c_str(), SERVICE_QUERY_STATUS));
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    if (!opened || !QueryServiceStatusEx(opened.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                         sizeof status, &needed))
        return 0;
    return ProcessIdToSessionId(status.dwProcessId, &session) ? status.dwProcessId : 0;
}

// The default owner of a process's token, as text; "" when the token cannot be read (a
// service account's token may keep administrators out).
std::string DefaultOwnerOf(DWORD process)
{
    const UniqueHandle opened(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    UniqueHandle token;
    if (!opened || !OpenProcessToken(opened.Get(), TOKEN_QUERY, token.Put())) return std::string();
    BYTE buffer[sizeof(TOKEN_OWNER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    if (!GetTokenInformation(token.Get(), TokenOwner, buffer, sizeof buffer, &size)) return std::string();
    return SidText(reinterpret_cast<TOKEN_OWNER*>(buffer)->Owner);
}

std::string Described(const StopEvent& event)
{
    return std::string("event '") + event.EventName() + "', state " + std::to_string(static_cast<int>(event.State())) +
           ", error " + std::to_string(event.Error()) + ", owner " +
           (event.Owner() != nullptr ? SidText(event.Owner()) : std::string("unread"));
}

class StopEventOfService : public WindowsOnlyTest, public ::testing::WithParamInterface<AccountRow> {
protected:
    StopEventOfService() : WindowsOnlyTest(kWhy) {}

    // The service started with these options as the row's account; false, with a failure,
    // when it does not run.
    bool Started(RegisteredService& service)
    {
        if (GetParam().account != nullptr) service.RunAs(GetParam().account);
        const DWORD result = service.StartAndWaitRunning();
        EXPECT_EQ(result, 0u) << service.Name() << " as " << GetParam().name;
        return result == 0;
    }

    const UniqueServiceHandle manager_{OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT)};
};

TEST_P(StopEventOfService, OwnEventInSessionZeroIsWaitedOn)
{
    RegisteredService service(std::string("--event=global ") + kGuideWithoutOwner);
    ASSERT_TRUE(Started(service));
    DWORD session = 1;
    const DWORD process = ProcessOf(service.Name(), session);
    ASSERT_NE(process, 0u);
    EXPECT_EQ(session, 0u) << "services run in session 0";
    const StopEvent event(manager_.Get(), service.Name().c_str());
    EXPECT_EQ(event.State(), StopEventState::kWaitable) << Described(event);
    // Windows' rule for an object made without an owner: its creator's default owner.
    const std::string defaultOwner = DefaultOwnerOf(process);
    if (!defaultOwner.empty() && event.Owner() != nullptr) {
        EXPECT_EQ(SidText(event.Owner()), defaultOwner);
    }
}

// Session 0's plain names are the global ones: the launcher, in a user's session, finds the
// event under Global\.
TEST_P(StopEventOfService, PlainNameIsFoundUnderGlobal)
{
    RegisteredService service(std::string("--event=plain ") + kGuideWithoutOwner);
    ASSERT_TRUE(Started(service));
    const StopEvent event(manager_.Get(), service.Name().c_str());
    EXPECT_EQ(event.State(), StopEventState::kWaitable) << Described(event);
    EXPECT_EQ(std::string(event.EventName()), "Global\\" + service.Name() + ".Event");
}

INSTANTIATE_TEST_SUITE_P(Windows, StopEventOfService, ::testing::ValuesIn(kAccounts),
                         [](const ::testing::TestParamInfo<AccountRow>& info) { return info.param.name; });

class StopEventSquatted : public WindowsOnlyTest {
protected:
    StopEventSquatted() : WindowsOnlyTest(kWhy) {}
};

// This program (an administrator) makes the name first, with the guide's descriptor: the
// LocalService service cannot open it, runs without its own, and the launcher must not take
// this one for the service's.
TEST_F(StopEventSquatted, EventOfAnotherAccountIsForeign)
{
    RegisteredService service(std::string("--event=global ") + kGuideWithoutOwner);
    service.RunAs("NT AUTHORITY\\LocalService");
    const std::string name = "Global\\" + service.Name() + ".Event";
    UniqueLocal<PSECURITY_DESCRIPTOR> descriptor;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:(A;;0x001F0003;;;SY)(A;;0x001F0003;;;BA)(A;;0x00120000;;;AU)", SDDL_REVISION_1, descriptor.Put(), nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.Get(), FALSE};
    const UniqueHandle squatter(CreateEventA(&attributes, TRUE, FALSE, name.c_str()));
    ASSERT_TRUE(squatter) << name << ": " << GetLastError();
    ASSERT_EQ(service.StartAndWaitRunning(), 0u);
    const UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const StopEvent event(manager.Get(), service.Name().c_str());
    EXPECT_EQ(event.State(), StopEventState::kForeignOwner) << Described(event);
}

}  // namespace
