#include "checker/lastrun/lastrun.h"

#include <windows.h>

#include <cstdlib>
#include <set>
#include <string>

#include "checker/lastrun/logtail.h"
#include "checker/lastrun/windowsstart.h"
#include "checker/report/isotime.h"
#include "helpers/text.h"

namespace {

const char kStopped[] = "[zStartup] stopped";

class LastRunReport {
public:
    LastRunReport(const std::string& log, CheckReport& report) : log(log), report(report) {}

    void Line(const std::string& line);

private:
    void Add(Severity severity, const char* code, const std::string& subject, const std::string& line,
             const std::string& advice);
    bool ServiceLine(const std::string& line);
    void BatchLine(const std::string& line);

    const std::string& log;
    CheckReport& report;
    std::set<std::string> reported;  // lines already reported: an earlier, overlapping run's too
};

const char kTag[] = "[zStartup] ";
const char kLinesLost[] = " lines could not be written to the log";

void LastRunReport::Add(Severity severity, const char* code, const std::string& subject, const std::string& line,
                        const std::string& advice)
{
    if (!reported.insert(line).second) return;
    report.Add(severity, code, subject, "last run: \"" + line + "\"" + (advice.empty() ? "" : "; " + advice));
}

bool LastRunReport::ServiceLine(const std::string& line)
{
    const struct {
        const char* action;
        const char* verb;
    } kActions[] = {{"stopping", "stop"}, {"starting", "start"}};
    for (const auto& action : kActions) {
        const std::string prefix = std::string(kTag) + "Error " + action.action + " service ";
        if (!StartsWith(line, prefix)) continue;
        Add(Severity::kError, "last-run.error", line.substr(prefix.size()), line,
            std::string("the launcher could not ") + action.verb +
                " it; run zStartupCheck without --last-run to see why, and look at the service's events");
        return true;
    }
    return false;
}

void LastRunReport::BatchLine(const std::string& line)
{
    if (EndsWith(line, "' Not found")) {
        Add(Severity::kWarning, "last-run.batch-not-found", "batch file", line,
            "the launcher opened no batch file: create it, even empty");
        return;
    }
    const size_t result = line.rfind("' started with result: ");
    if (result == std::string::npos || std::atoi(line.c_str() + line.find(':', result) + 1) > 32) return;
    Add(Severity::kError, "last-run.batch-failed", "batch file", line,
        "the shell could not open the batch file (its error value, 32 or less); check that .bat files open with "
        "the command processor");
}

void LastRunReport::Line(const std::string& line)
{
    if (ServiceLine(line)) return;
    if (StartsWith(line, std::string(kTag) + "Error ")) {
        Add(Severity::kError, "last-run.error", "service list", line,
            "run zStartupCheck without --last-run to see why");
    } else if (StartsWith(line, std::string(kTag) + "Warning: ") && EndsWith(line, kLinesLost)) {
        Add(Severity::kWarning, "last-run.lines-lost", "log", line,
            "the launcher could not write them, only print them: another program held the log (or the folder could not "
            "be written); close what holds it");
    } else if (StartsWith(line, std::string(kTag) + "Warning: ")) {
        Add(Severity::kWarning, "last-run.warning", "service list", line, "");
    } else {
        BatchLine(line);
    }
}

// What follows the last "[zStartup] stopped", which a run writes last: whole lines are another
// run's, one that went on after it; a line cut short or NUL padding is what a power cut leaves
// of a later write (or a line being written right now).
struct AfterLastStop {
    size_t stopped = 0;     // "[zStartup] stopped" lines in the last run's
    size_t wholeLines = 0;  // whole lines after the last of them
    bool cut = false;       // and a cut one
    std::string cutLine;
};

AfterLastStop ReadAfterLastStop(const LastRun& run)
{
    AfterLastStop after;
    for (size_t i = 0; i < run.lines.size(); ++i) {
        const std::string& line = run.lines[i];
        if (line == kStopped) {
            ++after.stopped;
            after.wholeLines = 0;
            after.cut = false;
        } else if (line.find('\0') != std::string::npos ||
                   (run.lastLineUnended && i + 1 == run.lines.size() && run.linesLeftOut == 0)) {
            after.cut = true;
            after.cutLine = line;
        } else {
            ++after.wholeLines;
        }
    }
    return after;
}

void CheckEnd(const std::string& log, const AfterLastStop& after, CheckReport& report)
{
    if (after.stopped == 0) {
        report.Error("last-run.unfinished", log,
                     "last run: no \"[zStartup] stopped\" after its start in " + log +
                         ": it did not finish (the machine lost power, the launcher was ended) or it still runs");
        return;
    }
    if (after.wholeLines > 0) {
        report.Error("last-run.unfinished", log,
                     "last run: " + std::to_string(after.wholeLines) +
                         " lines follow the last \"[zStartup] stopped\" in " + log +
                         ", and no \"stopped\" after them: a run that went on beside the last one did not "
                         "finish (the machine lost power, the launcher was ended) or it still runs");
    }
    if (after.stopped > 1 || after.wholeLines > 0) {
        report.Note("last-run.overlapped", log,
                    "last run: more than one run wrote after the last start in " + log + " (" +
                        std::to_string(after.stopped) +
                        " \"stopped\" lines): an earlier run was still going, and its "
                        "lines, which cannot be told apart, are reported with the last run's");
    }
}

// What the log shows around the last run that is not part of it.
void CheckDamage(const std::string& log, const LastRun& run, const AfterLastStop& after, CheckReport& report)
{
    if (after.cut) {
        report.Note("last-run.cut-line", log,
                    "last run: after its \"[zStartup] stopped\" the log holds a line never finished, \"" +
                        after.cutLine +
                        "\" (a later run cut off by a power cut, often padded with NUL bytes, or a line being "
                        "written right now)");
    }
    if (run.cutLineBefore) {
        report.Note("last-run.cut-line", log,
                    "last run: it began right after a line the run before it never finished, \"" + run.cutLine +
                        "\" (cut off by a power cut or an ended launcher, and often padded with NUL bytes); that "
                        "run did not finish, and its line is not the last run's");
    }
    if (run.linesLeftOut > 0) {
        report.Note("last-run.lines-left-out", log,
                    "last run: " + std::to_string(run.linesLeftOut) + " more lines follow its first " +
                        std::to_string(kMaxLines) + " in " + log +
                        "; a launcher run writes 28 at most, so the log is damaged: look at it by hand");
    }
}

// A time server corrects the clock by seconds; a log written minutes after the check was written
// before the clock was set back (or its time was set).
const ULONGLONG kClockSlack = 2ULL * 60 * 10000000;  // 2 minutes in FILETIME units

// True, with last-run.clock reported, when the log was last written after checkedAt.
bool CheckClock(const std::string& log, const FILETIME& lastWrite, const FILETIME& checkedAt, CheckReport& report)
{
    if (Ticks(lastWrite) <= Ticks(checkedAt) + kClockSlack) return false;
    report.Warning("last-run.clock", log,
                   "log " + log + " was last written at " + TimeText(lastWrite) + ", after this check's time " +
                       TimeText(checkedAt) +
                       ": the clock was set back since (or the log's time was set), so whether the launcher ran "
                       "since Windows started cannot be told; set the clock right and check again");
    return true;
}

void CheckNotSinceBoot(const std::string& log, const FILETIME& lastWrite, const FILETIME& boot, CheckReport& report)
{
    if (Ticks(lastWrite) >= Ticks(boot)) return;
    report.Warning("last-run.not-since-boot", log,
                   "log " + log + " was last written at " + TimeText(lastWrite) +
                       ", before Windows last started (or was switched on from Fast Startup) at " + TimeText(boot) +
                       ": the launcher has not run since; check that its scheduled task exists, is enabled and "
                       "points to this launcher");
}

void ReportDefaultPath(const LauncherTarget& target, CheckReport& report)
{
    report.Warning(
        "log.default-path", target.logPath,
        Utf8Text(std::string("log: the launcher's path ") + target.displayPath +
                 " is too long for 255 characters or not in the ANSI code page, so it logs to " + target.logPath +
                 " in its own current folder (its scheduled task's working folder, usually "
                 "C:\\Windows\\System32), which this check cannot know: its last run is not judged; "
                 "move the launcher"));
}

}  // namespace

void CheckLastRun(const LauncherTarget& target, const LastRunTimes& times, CheckReport& report)
{
    // A default_LT.log here would be this check's folder's, written by whoever ran there.
    if (LogsInItsCurrentFolder(target)) {
        ReportDefaultPath(target, report);
        return;
    }
    const std::string log = LogFullPath(target);
    const LastRun run = ReadLastRun(target.logPath);
    if (run.error == ERROR_FILE_NOT_FOUND || run.error == ERROR_PATH_NOT_FOUND) {
        report.Error("last-run.no-run", log,
                     Utf8Text("no log " + Utf8OfAnsi(log) + ": the launcher has not run from " + target.displayPath));
        return;
    }
    if (run.error != 0) {
        report.Error("last-run.log-unreadable", log,
                     "log " + log + " cannot be read (error " + std::to_string(run.error) +
                         "); give this account read access, or run this check elevated");
        return;
    }
    if (!run.found) {
        report.Error("last-run.no-run", log,
                     Utf8Text("log " + Utf8OfAnsi(log) + " holds no \"[zStartup] started\" line in its last " +
                              std::to_string(kMaxLastRunBytes >> 20) + " MiB: the launcher has not run from " +
                              target.displayPath));
    } else {
        LastRunReport lastRun(log, report);
        for (const std::string& line : run.lines) {
            report.Line(line);
            lastRun.Line(line);
        }
        const AfterLastStop after = ReadAfterLastStop(run);
        CheckEnd(log, after, report);
        CheckDamage(log, run, after, report);
    }
    if (!CheckClock(log, run.lastWrite, times.checkedAt, report))
        CheckNotSinceBoot(log, run.lastWrite, times.windowsStarted, report);
}
