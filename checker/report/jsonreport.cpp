#include "checker/report/jsonreport.h"

#include <windows.h>

#include "checker/report/isotime.h"
#include "helpers/text.h"

namespace {

// text as a JSON string of ASCII characters only.
std::string JsonString(const std::wstring& text)
{
    std::string quoted = "\"";
    for (const wchar_t c : text) {
        if (c == L'"' || c == L'\\' || c < 0x20 || c >= 0x7F)
            quoted += JsonEscape(c);
        else
            quoted += static_cast<char>(c);
    }
    return quoted + "\"";
}

// utf8 decoded as WideOfUtf8 does: a byte sequence that is no UTF-8 is written as U+FFFD.
std::string JsonText(const std::string& utf8) { return JsonString(WideOfUtf8(utf8)); }

std::string JsonTime(const FILETIME& utc)
{
    const std::string iso = IsoLocalTime(utc);
    return iso.empty() ? "null" : JsonText(iso);
}

// items as a JSON array, each written by write.
template <typename Item, typename Write>
std::string JsonArray(const std::vector<Item>& items, Write write)
{
    std::string array = "[";
    for (size_t i = 0; i < items.size(); ++i) array += (i == 0 ? "" : ", ") + write(items[i]);
    return array + "]";
}

std::string JsonLines(const std::vector<std::string>& lines) { return JsonArray(lines, JsonText); }

std::string JsonFinding(const Finding& finding)
{
    return std::string("{\"severity\": \"") + SeverityName(finding.severity) +
           "\", \"code\": " + JsonText(finding.code) + ", \"subject\": " + JsonText(finding.subject) +
           ", \"message\": " + JsonText(finding.message) + "}";
}

const char* JsonBool(bool value) { return value ? "true" : "false"; }

// The task's last run and result are the Task Scheduler's, asked in last-run mode only.
std::string JsonTask(const ReportedTask& task, bool lastRun)
{
    std::string object =
        "{\"path\": " + JsonText(task.path) + ", \"command\": " + JsonText(task.command) +
        ", \"runsThisLauncher\": " + JsonBool(task.runsThisLauncher) + ", \"enabled\": " + JsonBool(task.enabled) +
        ", \"startTriggers\": " + JsonLines(task.startTriggers) + ", \"account\": " + JsonText(task.account) +
        ", \"highestAvailable\": " + JsonBool(task.highestAvailable);
    if (lastRun) {
        object += std::string(", \"lastRunTime\": ") + (task.lastRunKnown ? JsonTime(task.lastRun) : "null") +
                  ", \"lastResult\": " +
                  (task.lastResultKnown ? std::to_string(static_cast<unsigned long>(task.lastResult)) : "null");
    }
    return object + "}";
}

std::string JsonLog(const ReportContext& context)
{
    if (!context.logKnown) return "null";
    return "{\"path\": " + JsonText(context.logPath) +
           ", \"lastWritten\": " + (context.logExists ? JsonTime(context.logLastWritten) : "null") + "}";
}

}  // namespace

std::string JsonReport(const ReportContext& context, const CheckReport& report, int exitStatus)
{
    const bool plan = context.mode == CheckMode::kPlan;
    const auto task = [plan](const ReportedTask& reported) { return JsonTask(reported, !plan); };
    return "{\"schemaVersion\": " + std::to_string(kJsonSchemaVersion) +
           ", \"checkerVersion\": " + JsonText(context.checkerVersion) +
           ", \"computer\": " + JsonString(context.computer) + ", \"dnsHostName\": " + JsonString(context.dnsHostName) +
           ", \"checkedAt\": " + JsonTime(context.checkedAt) + ", \"bootTime\": " + JsonTime(context.bootTime) +
           ", \"launcher\": " + (context.launcherKnown ? JsonString(context.launcher) : "null") + ", \"mode\": \"" +
           (plan ? "plan" : "last-run") + "\", \"" + (plan ? "plan" : "lastRun") + "\": " + JsonLines(report.Lines()) +
           ", \"log\": " + JsonLog(context) + ", \"tasks\": " + JsonArray(report.Tasks(), task) +
           ", \"findings\": " + JsonArray(report.Findings(), JsonFinding) +
           ", \"exitStatus\": " + std::to_string(exitStatus) + "}\n";
}
