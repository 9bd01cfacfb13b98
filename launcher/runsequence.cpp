#include "launcher/runsequence.h"

#include "launcher/launchbatch.h"
#include "launcher/scanservicelist.h"
#include "lowtracessupport/modulepath.h"
#include "lowtracessupport/tracemessage.h"
#include "runrules/runpaths.h"
#include "runrules/servicelistfile.h"

namespace {

// Services named in a list that cannot be reached must not look like an empty list: every
// way of not reading it, but its plain absence, gets its own line.
void WorkThroughServiceList(const RunPaths& paths)
{
    if (paths.listProblem != ListPathProblem::kNone) {
        TraceMessage(kTraceEverywhere, "[zStartup] Error reading service list: path too long");
        return;
    }
    // Held until the scan ends: the list is read as it was when the run opened it, or not at all.
    const HeldServiceList held(paths.wideServiceList);
    const ServiceListFile& list = held.File();
    if (list.state == ListFileState::kAbsent) return;
    if (list.state == ListFileState::kUnreadable) {
        TraceMessage(kTraceEverywhere, "[zStartup] Error reading service list: error %lu", list.error);
        return;
    }
    if (list.utf8MarkHidesFirstSection) {
        TraceMessage(kTraceEverywhere,
                     "[zStartup] Warning: service list begins with a UTF-8 byte order mark; save it as ANSI or UTF-16");
    }
    if (list.utf16BigEndian) {
        TraceMessage(kTraceEverywhere,
                     "[zStartup] Warning: service list begins with a UTF-16 big-endian byte order "
                     "mark; save it as ANSI or UTF-16 LE");
    }
    ScanServiceList(paths.wideServiceList);
}

}  // namespace

int RunSequence()
{
    TraceMessage(kTraceEverywhere, "[zStartup] started");

    wchar_t exePath[kLongestPath];
    RunPaths paths;
    DeriveRunPaths(ReadModulePath(exePath) ? exePath : NULL, paths);
    WorkThroughServiceList(paths);
    LaunchBatch(paths);

    TraceMessage(kTraceEverywhere, "[zStartup] stopped");
    return 0;
}
