#include "checker/report/reportcontext.h"

#include "checker/lastrun/windowsstart.h"
#include "helpers/text.h"
#include "resources/version.h"

namespace {

std::wstring ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? std::wstring(name, size) : std::wstring();
}

}  // namespace

ReportContext GatherContext(CheckMode mode)
{
    ReportContext context;
    context.mode = mode;
    context.checkerVersion = ZSTARTUP_VERSION_TEXT;
    context.computer = ComputerName();
    GetSystemTimeAsFileTime(&context.checkedAt);
    context.bootTime = WindowsStarted();
    return context;
}

void AddLauncherPath(const std::wstring& launcher, ReportContext& context)
{
    context.launcherKnown = true;
    context.launcher = launcher;
}

void AddLauncher(const LauncherTarget& target, ReportContext& context)
{
    AddLauncherPath(target.widePath, context);
    context.logKnown = true;
    context.logPath = Utf8OfAnsi(LogFullPath(target));
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    context.logExists = GetFileAttributesExA(target.logPath, GetFileExInfoStandard, &attributes) != 0;
    if (context.logExists) context.logLastWritten = attributes.ftLastWriteTime;
}
