#include "launcher/waituntilstopped.h"

#include "runrules/runconstants.h"
#include "runrules/servicestate.h"

DWORD WaitUntilStopped(SC_HANDLE service, const Deadline& deadline)
{
    for (;;) {
        const ServiceState current = QueryServiceState(service);
        if (current.error != 0) return current.error;
        if (current.state == SERVICE_STOPPED) return 0;
        if (deadline.Passed()) return kTimeoutResult;
        Sleep(kStoppingPollInterval);
    }
}
