#include "launcher/scanservicelist.h"

#include <windows.h>

#include "launcher/launcherconstants.h"
#include "launcher/startserviceandwait.h"
#include "launcher/stopserviceandwait.h"
#include "lowtracessupport/tracemessage.h"
#include "runrules/servicelistentry.h"

// A value too long for a service name acts on no service: it only gets its error line.
static void StopListedService(const char* name, bool tooLong)
{
    if (!tooLong && StopServiceAndWait(name, kServiceTimeout) == 0) {
        TraceMessage(kTraceEverywhere, "[zStartup] Success stopping service %s", name);
    } else {
        TraceMessage(kTraceEverywhere, "[zStartup] Error stopping service %s", name);
    }
}

static void StartListedService(const char* name, bool tooLong)
{
    if (!tooLong && StartServiceAndWait(name, kServiceTimeout) == 0) {
        TraceMessage(kTraceEverywhere, "[zStartup] Success starting service %s", name);
    } else {
        TraceMessage(kTraceEverywhere, "[zStartup] Error starting service %s", name);
    }
}

void ScanServiceList(const char* listPath)
{
    ServiceListEntry entry;
    for (unsigned int code = kFirstListKey; code <= kLastListKey; ++code) {
        if (!ReadServiceListEntry(listPath, code, entry)) return;
        if (entry.stopName[0] != '\0') StopListedService(entry.stopName, entry.stopTooLong);
        if (entry.startName[0] != '\0') StartListedService(entry.startName, entry.startTooLong);
    }
}
