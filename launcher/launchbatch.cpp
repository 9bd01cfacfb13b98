#include "launcher/launchbatch.h"

#include <windows.h>
#include <shellapi.h>

#include "launcher/fileexists.h"
#include "launcher/launcherconstants.h"
#include "lowtracessupport/tracemessage.h"

void LaunchBatch(const char* batchPath, const char* directory)
{
    TraceMessage(kTraceEverywhere, "[zStartup] BAT file is '%s', DIR is '%s'", batchPath, directory);
    if (!FileExists(batchPath)) {
        TraceMessage(kTraceEverywhere, "[%s] '%s' Not found", kLogTag, batchPath);
        return;
    }
    const HINSTANCE result =
        ShellExecuteA(NULL, NULL, batchPath, NULL, directory[0] != '\0' ? directory : NULL, SW_SHOWNORMAL);
    TraceMessage(kTraceEverywhere, "[%s] '%s' started with result: %d", kLogTag, batchPath,
                 static_cast<int>(reinterpret_cast<INT_PTR>(result)));
}
