// zStartupCheck: shows what the next start of a zStartup launcher will do, and what in its
// list, services, files and folder will make it fail or skip something. Changes nothing.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "checker/checkreport.h"
#include "checker/filecheck.h"
#include "checker/launchertarget.h"
#include "checker/listcheck.h"
#include "checker/platformcheck.h"
#include "checker/servicecheck.h"
#include "checker/writeaccesscheck.h"

namespace {

const int kCannotRun = 3;
const char kUsage[] =
    "usage: zStartupCheck [LAUNCHER]\n"
    "  Shows what the next start of LAUNCHER (default: zStartup.exe beside this program) will do,\n"
    "  then one line per finding (error:, warning:, note:). Changes nothing.\n"
    "  Exit status: 0 no error or warning, 1 warnings, 2 errors, 3 the check could not run.\n";

int CannotRun(const std::string& why)
{
    std::fprintf(stderr, "zStartupCheck: %s\n%s", why.c_str(), kUsage);
    return kCannotRun;
}

bool AskedForHelp(const wchar_t* argument)
{
    return lstrcmpW(argument, L"/?") == 0 || lstrcmpW(argument, L"-h") == 0 || lstrcmpW(argument, L"--help") == 0;
}

int Check(const wchar_t* argument)
{
    LauncherTarget target;
    std::string why;
    if (!ResolveLauncher(argument, target, why)) return CannotRun(why);
    CheckReport report;
    CheckServices(CheckServiceList(target, report), report);
    CheckBatch(target, report);
    CheckLog(target, report);
    CheckWriteAccess(target, report);
    CheckPlatform(target, report);
    std::fputs(report.Text().c_str(), stdout);
    return report.ExitStatus();
}

}  // namespace

int main()
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    int status = 0;
    if (arguments == NULL) {
        status = CannotRun("cannot read the command line");
    } else if (count > 2) {
        status = CannotRun("too many arguments");
    } else if (count == 2 && AskedForHelp(arguments[1])) {
        std::fputs(kUsage, stdout);
    } else if (count == 2 && arguments[1][0] == L'\0') {
        status = CannotRun("empty launcher path");
    } else {
        status = Check(count == 2 ? arguments[1] : NULL);
    }
    if (arguments != NULL) LocalFree(arguments);
    std::fflush(stdout);
    return status;
}
