// zStartupCheck: shows what the next start of a zStartup launcher will do, and what in its
// list, services, files and folder will make it fail or skip something; or, with --last-run,
// what its last start did. Changes nothing.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "checker/checkoptions.h"
#include "checker/lastrun/lastrun.h"
#include "checker/launchertarget.h"
#include "checker/plan/filecheck.h"
#include "checker/plan/listcheck.h"
#include "checker/plan/platformcheck.h"
#include "checker/plan/servicecheck.h"
#include "checker/report/checkreport.h"
#include "checker/report/jsonreport.h"
#include "checker/rights/writeaccesscheck.h"

namespace {

const int kCannotRun = 3;
const char kUsage[] =
    "usage: zStartupCheck [--last-run] [--json] [LAUNCHER]\n"
    "  Shows what the next start of LAUNCHER (default: zStartup.exe beside this program) will do,\n"
    "  then one line per finding (error:, warning:, note:). Changes nothing.\n"
    "  --last-run  what its last start did instead, from its trace log\n"
    "  --json      one JSON object on standard output instead of lines\n"
    "  Exit status: 0 no error or warning, 1 warnings, 2 errors, 3 the check could not run.\n";

int CannotRun(const std::string& why)
{
    std::fprintf(stderr, "zStartupCheck: %s\n%s", why.c_str(), kUsage);
    return kCannotRun;
}

void CheckPlan(const LauncherTarget& target, CheckReport& report)
{
    CheckServices(CheckServiceList(target, report), report);
    CheckBatch(target, report);
    CheckLog(target, report);
    CheckWriteAccess(target, report);
    CheckPlatform(target, report);
}

int Check(const CheckOptions& options)
{
    const CheckMode mode = options.lastRun ? CheckMode::kLastRun : CheckMode::kPlan;
    LauncherTarget target;
    std::string why;
    CheckReport report;
    int status = kCannotRun;
    if (!ResolveLauncher(options.launcher, target, why)) {
        if (!options.json) return CannotRun(why);
        std::fprintf(stderr, "zStartupCheck: %s\n", why.c_str());
        report.Error("check.no-launcher", target.displayPath, why);
    } else {
        if (mode == CheckMode::kPlan) CheckPlan(target, report);
        else CheckLastRun(target, report);
        status = report.ExitStatus();
    }
    const std::string text =
        options.json ? JsonReport(target.widePath, mode, report, status) : report.Text();
    std::fputs(text.c_str(), stdout);
    return status;
}

}  // namespace

int main()
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    CheckOptions options;
    std::string why;
    int status = 0;
    if (arguments == NULL) {
        status = CannotRun("cannot read the command line");
    } else if (!ParseCheckOptions(count, arguments, options, why)) {
        status = CannotRun(why);
    } else if (options.help) {
        std::fputs(kUsage, stdout);
    } else {
        status = Check(options);
    }
    if (arguments != NULL) LocalFree(arguments);
    std::fflush(stdout);
    return status;
}
