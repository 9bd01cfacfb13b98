// zStartupCheck: shows what the next start of a zStartup launcher will do, and what in its
// list, services, files and folder will make it fail or skip something; or, with --last-run,
// what its last start did. Changes nothing.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <new>
#include <string>

#include "checker/checkoptions.h"
#include "checker/lastrun/lastrun.h"
#include "checker/launchertarget.h"
#include "checker/plan/filecheck.h"
#include "checker/plan/listcheck.h"
#include "checker/plan/platformcheck.h"
#include "checker/plan/servicecheck.h"
#include "checker/report/checkreport.h"
#include "checker/report/consoletext.h"
#include "checker/report/jsonreport.h"
#include "checker/report/reportcontext.h"
#include "checker/rights/writeaccesscheck.h"
#include "checker/task/comobjects.h"
#include "checker/task/taskcheck.h"
#include "helpers/text.h"
#include "helpers/uniqueany.h"

namespace {

const int kCannotRun = 3;
const char kUsage[] =
    "usage: zStartupCheck [--last-run | --task FILE] [--json] [LAUNCHER]\n"
    "  Shows what the next start of LAUNCHER (default: zStartup.exe beside this program) will do,\n"
    "  then one line per finding (error:, warning:, note:). Changes nothing.\n"
    "  --last-run  what its last start did instead, from its trace log, and who else could have\n"
    "              written that log or changed what the launcher runs\n"
    "  --task FILE judge the task definition FILE in place of the registered tasks\n"
    "  --json      one JSON object on standard output instead of lines\n"
    "  /?, -?, -h  this help; options may be written in any case (--JSON)\n"
    "  Exit status: 0 no error or warning, 1 warnings, 2 errors, 3 the check could not run.\n";

// The next run, and what starts it: the registered tasks, or (--task) the definition in
// taskFile. False, with why set, when that file cannot be judged.
bool CheckPlan(const LauncherTarget& target, const wchar_t* taskFile, CheckReport& report, std::string& why)
{
    const std::vector<ServiceListEntry> entries = CheckServiceList(target, report);
    CheckServices(entries, report);
    CheckBatch(target, report);
    CheckLog(target, report);
    CheckWriteAccess(target, report);
    CheckPlatform(target, report);
    if (taskFile != nullptr) return CheckTaskFile(target, entries, taskFile, report, why);
    CheckTasks(target, entries, report);
    return true;
}

// The times as the report gives them: when Windows last started, and now. The log is believed
// only as far as no one but the administrators could have written it, or changed what the
// launcher ran: the same rights as the plan's.
void CheckLastRunAndTask(const LauncherTarget& target, const ReportContext& context, CheckReport& report)
{
    CheckLastRun(target, LastRunTimes{context.bootTime, context.checkedAt}, report);
    CheckTaskLastRun(target, context.bootTime, report);
    CheckWriteAccess(target, report);
}

// text: UTF-8 for people.
int Print(const std::string& text, int status)
{
    WriteText(stdout, text);
    return status;
}

// The JSON report's bytes as they are: pure ASCII, which no code page may change.
int PrintJson(const std::string& json, int status)
{
    std::fwrite(json.data(), 1, json.size(), stdout);
    return status;
}

// With --json every way the check ends prints one object: a fleet tool that reads nothing, or
// something else, must not take that for a pass. subject and why in UTF-8.
int CannotRun(const char* code, const std::string& subject, const std::string& why, const std::string& advice,
              bool json, const ReportContext& context)
{
    WriteText(stderr, "zStartupCheck: " + why + "\n" + kUsage);
    if (!json) return kCannotRun;
    CheckReport report;
    report.Error(code, Utf8Text(subject), Utf8Text(why + "; " + advice));
    return PrintJson(JsonReport(context, report, kCannotRun), kCannotRun);
}

int Check(const CheckOptions& options)
{
    const UniqueComApartment apartment = EnterComApartment();
    const CheckMode mode = options.lastRun ? CheckMode::kLastRun : CheckMode::kPlan;
    ReportContext context = GatherContext(mode);
    LauncherTarget target;
    std::string why;
    if (!ResolveLauncher(options.launcher, target, why)) {
        if (!target.widePath.empty()) AddLauncherPath(target.widePath, context);
        return CannotRun("check.no-launcher", target.displayPath, why, "give the path of the launcher to check",
                         options.json, context);
    }
    CheckReport report;
    if (mode == CheckMode::kLastRun) {
        CheckLastRunAndTask(target, context, report);
    } else if (!CheckPlan(target, options.taskFile, report, why)) {
        AddLauncher(target, context);
        return CannotRun("check.task-unreadable", Utf8Of(options.taskFile), why,
                         "give a task definition as schtasks /Query /XML exports it", options.json, context);
    }
    const int status = report.ExitStatus();
    AddLauncher(target, context);
    return options.json ? PrintJson(JsonReport(context, report, status), status) : Print(report.Text(), status);
}

bool Given(int count, wchar_t** arguments, const wchar_t* option)
{
    for (int i = 1; i < count; ++i) {
        if (IsOption(arguments[i], option)) return true;
    }
    return false;
}

int BadArguments(int count, wchar_t** arguments, const std::string& why)
{
    const bool json =
        arguments != NULL ? Given(count, arguments, L"--json") : LineHoldsOption(GetCommandLineW(), L"--json");
    const bool lastRun = arguments != NULL && Given(count, arguments, L"--last-run");
    return CannotRun("check.bad-arguments", "zStartupCheck", why, "see the usage on standard error", json,
                     GatherContext(lastRun ? CheckMode::kLastRun : CheckMode::kPlan));
}

int Run(int count, wchar_t** arguments)
{
    CheckOptions options;
    std::string why;
    if (arguments == NULL) return BadArguments(count, arguments, "cannot read the command line");
    if (!ParseCheckOptions(count, arguments, options, why)) return BadArguments(count, arguments, why);
    if (options.help) return Print(kUsage, 0);
    try {
        return Check(options);
    } catch (const std::bad_alloc&) {
        // What the check held is released by now; a report of a few lines still fits.
        return CannotRun("check.out-of-memory", "zStartupCheck", "the check ran out of memory",
                         "close other programs and check again", options.json,
                         GatherContext(options.lastRun ? CheckMode::kLastRun : CheckMode::kPlan));
    }
}

}  // namespace

int main()
{
    int count = 0;
    const UniqueLocal<wchar_t**> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
    const int status = Run(count, arguments.Get());
    std::fflush(stdout);
    return status;
}
