// ServiceHandles: the service control manager and one service opened from it, both closed
// when the object goes.
#ifndef ZSTARTUP_LAUNCHER_SERVICEHANDLES_H
#define ZSTARTUP_LAUNCHER_SERVICEHANDLES_H

#include <windows.h>

class ServiceHandles {
public:
    ServiceHandles();
    ~ServiceHandles();

    // Connects to the local manager, then opens the named service with access. 0 on success,
    // otherwise the last error of the call that failed (nothing is left open by it).
    DWORD Open(const char* serviceName, DWORD access);
    // The opened service; null before a successful Open.
    SC_HANDLE Service() const;

    ServiceHandles(const ServiceHandles&) = delete;             // owns handles
    ServiceHandles& operator=(const ServiceHandles&) = delete;  // owns handles

private:
    void Close();

    SC_HANDLE manager;
    SC_HANDLE service;
};

#endif
