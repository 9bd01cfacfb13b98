#include "tests/testservice/createstopevent.h"

#include <sddl.h>

#include <cstdio>
#include <string>

#include "tests/testservice/ownusersid.h"

namespace {

// LocalSystem, and the service's own account (LocalSystem on Windows, the user under Wine,
// which runs services as its user), may do anything with the event: a restarted service must
// get its event back from CreateEvent when another handle kept it alive. Authenticated users
// (the launcher, started at logon in the user's session) may only wait on it and read its
// owner (SYNCHRONIZE | READ_CONTROL, 0x00120000), or, for SynchronizeOnly, only wait on it,
// or, for Nobody, nothing.
// The owner is given because Wine, unlike Windows, does not make the service's account the
// owner: it takes its token's default owner, a group of the user's. GuideWithoutOwner leaves it
// to Windows, as a service following the guide does.
const char kOwner[] = "O:SY";
const char kSystem[] = "D:(A;;0x001F0003;;;SY)";
const char kWaitAndReadOwner[] = "(A;;0x00120000;;;AU)";
const char kWaitOnly[] = "(A;;0x00100000;;;AU)";

// LocalSystem where the service's own account cannot be read.
std::string OwnAccountSid()
{
    const std::string sid = OwnUserSid();
    return sid.empty() ? "SY" : sid;
}

std::string Sddl(StopEventRights rights)
{
    if (rights == StopEventRights::SynchronizeOnly) return std::string(kOwner) + kSystem + kWaitOnly;
    if (rights == StopEventRights::Nobody) return std::string(kOwner) + kSystem;
    const std::string guide = std::string(kSystem) + "(A;;0x001F0003;;;" + OwnAccountSid() + ")" + kWaitAndReadOwner;
    return rights == StopEventRights::GuideWithoutOwner ? guide : kOwner + guide;
}

HANDLE CreateWithRights(const char* name, StopEventRights rights)
{
    if (rights == StopEventRights::NoDescriptor) return CreateEventA(nullptr, TRUE, FALSE, name);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(Sddl(rights).c_str(), SDDL_REVISION_1,
                                                              &attributes.lpSecurityDescriptor, nullptr)) {
        return nullptr;
    }
    HANDLE event = CreateEventA(&attributes, TRUE, FALSE, name);
    const DWORD error = GetLastError();
    LocalFree(attributes.lpSecurityDescriptor);
    SetLastError(error);
    return event;
}

}  // namespace

HANDLE CreateStopEvent(const char* serviceName, StopEventKind kind, StopEventRights rights, bool keepExisting)
{
    if (kind == StopEventKind::None) return nullptr;
    char name[300];
    int length =
        snprintf(name, sizeof name, "%s%s.Event", kind == StopEventKind::Global ? "Global\\" : "", serviceName);
    if (length < 0 || length >= static_cast<int>(sizeof name)) return nullptr;
    if (kind == StopEventKind::Mutex) return CreateMutexA(nullptr, FALSE, name);

    HANDLE event = CreateWithRights(name, rights);
    // Another handle may have kept the event alive, signalled, since an earlier run.
    if (event != nullptr && GetLastError() == ERROR_ALREADY_EXISTS && !keepExisting) ResetEvent(event);
    return event;
}
