#include "launcher/scanservicelist.h"

#include <windows.h>

#include "launcher/launcherconstants.h"
#include "launcher/startserviceandwait.h"
#include "launcher/stopserviceandwait.h"
#include "lowtracessupport/tracemessage.h"

static void StopListedService(const char* name)
{
    if (StopServiceAndWait(name, kServiceTimeout) == 0) {
        TraceMessage(kTraceEverywhere, "[zStartup] Success stopping service %s", name);
    } else {
        TraceMessage(kTraceEverywhere, "[zStartup] Error stopping service %s", name);
    }
}

static void StartListedService(const char* name)
{
    if (StartServiceAndWait(name, kServiceTimeout) == 0) {
        TraceMessage(kTraceEverywhere, "[zStartup] Success starting service %s", name);
    } else {
        TraceMessage(kTraceEverywhere, "[zStartup] Error starting service %s", name);
    }
}

void ScanServiceList(const char* listPath)
{
    for (unsigned int code = '0'; code <= 0xFF; ++code) {
        const char key[2] = {static_cast<char>(code), '\0'};
        // Both names are read before either service is touched.
        char stopName[256] = "";
        char startName[256] = "";
        GetPrivateProfileStringA("STOP", key, "", stopName, sizeof stopName, listPath);
        GetPrivateProfileStringA("START", key, "", startName, sizeof startName, listPath);
        if (stopName[0] == '\0' && startName[0] == '\0') return;
        if (stopName[0] != '\0') StopListedService(stopName);
        if (startName[0] != '\0') StartListedService(startName);
    }
}
