#include "runrules/servicestate.h"

ServiceState QueryServiceState(SC_HANDLE service)
{
    SERVICE_STATUS status = {};
    if (!QueryServiceStatus(service, &status)) return {GetLastError(), 0};
    return {0, status.dwCurrentState};
}
