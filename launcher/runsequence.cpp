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
    switch (paths.listProblem) {
    case ListPathProblem::kTooLong:
        TraceMessage(kTraceEverywhere, "[zStartup] Error reading service list: path too long");
        return;
    case ListPathProblem::kNotRepresentable:
        TraceMessage(kTraceEverywhere,
                     "[zStartup] Error reading service list: folder name not representable in the ANSI code page");
        return;
    case ListPathProblem::kNone:
        break;
    }
    const ServiceListFile list = ProbeServiceList(paths.serviceList);
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
    ScanServiceList(paths.serviceList);
}

}  // namespace

int RunSequence()
{
    TraceMessage(kTraceEverywhere, "[zStartup] started");

    char exePath[sizeof(RunPaths::batch)];
    const PathReading reading = ReadModulePath(exePath, sizeof exePath);
    RunPaths paths;
    DeriveRunPaths(reading, exePath, paths);
    WorkThroughServiceList(paths);
    LaunchBatch(paths.batch, paths.directory);

    TraceMessage(kTraceEverywhere, "[zStartup] stopped");
    return 0;
}
