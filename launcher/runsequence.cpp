#include "launcher/runsequence.h"

#include "launcher/fileexists.h"
#include "launcher/launchbatch.h"
#include "launcher/runpaths.h"
#include "launcher/scanservicelist.h"
#include "lowtracessupport/tracemessage.h"

int RunSequence()
{
    TraceMessage(kTraceEverywhere, "[zStartup] started");

    RunPaths paths;
    DeriveRunPaths(paths);
    if (paths.serviceList[0] == '\0') {
        // Services named in a list that cannot be reached must not look like an empty list.
        TraceMessage(kTraceEverywhere, "[zStartup] Error reading service list: path too long");
    } else if (FileExists(paths.serviceList)) {
        ScanServiceList(paths.serviceList);
    }
    LaunchBatch(paths.batch, paths.directory);

    TraceMessage(kTraceEverywhere, "[zStartup] stopped");
    return 0;
}
