#include "launcher/scanservicelist.h"

#include <windows.h>

#include "runrules/runconstants.h"
#include "launcher/startserviceandwait.h"
#include "launcher/stopserviceandwait.h"
#include "lowtracessupport/tracemessage.h"
#include "runrules/servicelistentry.h"

// A value that names no service (too long, or not in the ANSI code page exactly) acts on no
// service: it only gets its error line.
static void StopListedService(const char* name, bool namesNoService)
{
    if (!namesNoService && StopServiceAndWait(name, kServiceTimeout) == 0) {
        TraceMessage(kTraceEverywhere, "[zStartup] Success stopping service %s", name);
    } else {
        TraceMessage(kTraceEverywhere, "[zStartup] Error stopping service %s", name);
    }
}

static void StartListedService(const char* name, bool namesNoService)
{
    if (!namesNoService && StartServiceAndWait(name, kServiceTimeout) == 0) {
        TraceMessage(kTraceEverywhere, "[zStartup] Success starting service %s", name);
    } else {
        TraceMessage(kTraceEverywhere, "[zStartup] Error starting service %s", name);
    }
}

void ScanServiceList(const wchar_t* listPath)
{
    ServiceListEntry entry;
    for (unsigned int code = kFirstListKey; code <= kLastListKey; ++code) {
        if (!ReadServiceListEntry(listPath, code, entry)) break;
        if (entry.stopName[0] != '\0') StopListedService(entry.stopName, entry.stopTooLong || entry.stopNotAnsi);
        if (entry.startName[0] != '\0') StartListedService(entry.startName, entry.startTooLong || entry.startNotAnsi);
    }
    if (entry.readError != 0)
        TraceMessage(kTraceEverywhere, "[zStartup] Error reading service list: error %lu", entry.readError);
}
