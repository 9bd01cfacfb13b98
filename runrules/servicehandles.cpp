#include "runrules/servicehandles.h"

ServiceHandles::ServiceHandles() : manager(NULL), service(NULL) {}

ServiceHandles::~ServiceHandles() { Close(); }

DWORD ServiceHandles::Open(const char* serviceName, DWORD access)
{
    Close();
    manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    if (manager == NULL) return GetLastError();
    service = OpenServiceA(manager, serviceName, access);
    if (service == NULL) {
        const DWORD error = GetLastError();
        Close();
        return error;
    }
    return 0;
}

SC_HANDLE ServiceHandles::Service() const { return service; }

void ServiceHandles::Close()
{
    if (service != NULL) CloseServiceHandle(service);
    if (manager != NULL) CloseServiceHandle(manager);
    service = NULL;
    manager = NULL;
}
