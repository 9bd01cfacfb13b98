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

// The DNS name has no fixed limit: the first call gives the size, the terminating null included.
std::wstring DnsHostName()
{
    DWORD size = 0;
    GetComputerNameExW(ComputerNameDnsFullyQualified, NULL, &size);
    if (size == 0) return std::wstring();
    std::wstring name(size, L'\0');
    if (!GetComputerNameExW(ComputerNameDnsFullyQualified, &name[0], &size)) return std::wstring();
    name.resize(size);
    return name;
}

}  // namespace

ReportContext GatherContext(CheckMode mode)
{
    ReportContext context;
    context.mode = mode;
    context.checkerVersion = ZSTARTUP_VERSION_TEXT;
    context.computer = ComputerName();
    context.dnsHostName = DnsHostName();
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
    // A default_LT.log in this check's folder need not be the launcher's.
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    context.logExists = !LogsInItsCurrentFolder(target) &&
                        GetFileAttributesExA(target.logPath, GetFileExInfoStandard, &attributes) != 0;
    if (context.logExists) context.logLastWritten = attributes.ftLastWriteTime;
}
