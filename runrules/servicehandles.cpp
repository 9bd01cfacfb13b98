#include "runrules/servicehandles.h"

ServiceHandles::~ServiceHandles() = default;

DWORD ServiceHandles::Open(const char* serviceName, DWORD access)
{
    // Closed first: a close must not overwrite the error of the open that follows.
    service.Reset();
    manager.Reset();
    manager.Reset(OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT));
    if (!manager) return GetLastError();
    service.Reset(OpenServiceA(manager.Get(), serviceName, access));
    if (service) return 0;
    const DWORD error = GetLastError();
    manager.Reset();
    return error;
}
