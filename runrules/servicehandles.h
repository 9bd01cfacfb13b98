// ServiceHandles: the service control manager and one service opened from it, both closed
// when the object goes.
#ifndef ZSTARTUP_RUNRULES_SERVICEHANDLES_H
#define ZSTARTUP_RUNRULES_SERVICEHANDLES_H

#include <windows.h>

#include "helpers/uniqueany.h"

// The rights the launcher asks for: the request itself and reading the state back. Rights
// to interrogate are not needed, and delegated service accounts are usually given just these.
const DWORD kStopAccess = SERVICE_STOP | SERVICE_QUERY_STATUS;
const DWORD kStartAccess = SERVICE_START | SERVICE_QUERY_STATUS;

class ServiceHandles {
public:
    // Out of line: the launcher's waits would each carry a copy of the two closes.
    ~ServiceHandles();

    // Connects to the local manager, then opens the named service with access. 0 on success,
    // otherwise the last error of the call that failed (nothing is left open by it).
    DWORD Open(const char* serviceName, DWORD access);
    // The opened service; null before a successful Open.
    SC_HANDLE Service() const { return service.Get(); }
    // The connection to the manager; null before a successful Open.
    SC_HANDLE Manager() const { return manager.Get(); }

private:
    // In this order, so that the service is closed before the manager it was opened from.
    UniqueServiceHandle manager;
    UniqueServiceHandle service;
};

#endif
