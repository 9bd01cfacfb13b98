#include "tests/testservice/createstopevent.h"

#include <sddl.h>

#include <cstdio>

namespace {

// LocalSystem may do anything with the event; authenticated users (the launcher, started at
// logon in the user's session) may only wait on it (SYNCHRONIZE, 0x00100000).
const char kStopEventSddl[] = "D:(A;;0x001F0003;;;SY)(A;;0x00100000;;;AU)";

}  // namespace

HANDLE CreateStopEvent(const char* serviceName, StopEventKind kind) {
    if (kind == StopEventKind::None) return nullptr;
    char name[300];
    int length = snprintf(name, sizeof name, "%s%s.Event",
                          kind == StopEventKind::Global ? "Global\\" : "", serviceName);
    if (length < 0 || length >= static_cast<int>(sizeof name)) return nullptr;
    if (kind == StopEventKind::Mutex) return CreateMutexA(nullptr, FALSE, name);

    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
            kStopEventSddl, SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr)) {
        return nullptr;
    }
    HANDLE event = CreateEventA(&attributes, TRUE, FALSE, name);
    LocalFree(attributes.lpSecurityDescriptor);
    return event;
}
