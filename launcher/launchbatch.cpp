#include "launcher/launchbatch.h"

#include <windows.h>
#include <shellapi.h>

#include "launcher/comapartment.h"
#include "launcher/fileexists.h"
#include "runrules/runconstants.h"
#include "lowtracessupport/tracemessage.h"

namespace {

// The shell's result as ShellExecuteExW gave it: above 32 on success, the shell's error value
// (2: file not found, 31: no association...) on failure. A failure must never read as a
// success, even from a shell that leaves hInstApp unset.
int ShellResult(BOOL opened, const SHELLEXECUTEINFOW& info)
{
    const INT_PTR value = reinterpret_cast<INT_PTR>(info.hInstApp);
    if (!opened && (value > 32 || value < 0)) return 0;
    return static_cast<int>(value);
}

// No zone check: a batch file carrying the downloaded-from-the-internet mark would otherwise
// wait for an answer to a security prompt that nobody sees at an unattended start. No error
// boxes either, and no return before the shell has done its work: the launcher exits next.
int OpenThroughShell(const wchar_t* batchPath, const wchar_t* directory)
{
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOZONECHECKS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = batchPath;
    info.lpDirectory = directory[0] != L'\0' ? directory : NULL;
    info.nShow = SW_SHOWNORMAL;
    // The shell may hand the request to COM extensions, which need an apartment.
    const ComApartment apartment;
    return ShellResult(ShellExecuteExW(&info), info);
}

}  // namespace

void LaunchBatch(const RunPaths& paths)
{
    // Any other batch file, one in the current folder say, would be another launcher's.
    if (paths.batchTooLong) {
        TraceMessage(kTraceEverywhere, "[zStartup] Error opening batch file: path too long");
        return;
    }
    TraceMessage(kTraceEverywhere, "[zStartup] BAT file is '%s', DIR is '%s'", paths.batch, paths.directory);
    if (!FileExists(paths.wideBatch)) {
        TraceMessage(kTraceEverywhere, "[%s] '%s' Not found", kLogTag, paths.batch);
        return;
    }
    TraceMessage(kTraceEverywhere, "[%s] '%s' started with result: %d", kLogTag, paths.batch,
                 OpenThroughShell(paths.wideBatch, paths.wideDirectory));
}
