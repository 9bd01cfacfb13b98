// CheckReport: what the checker prints, the plan (or the last run's lines) first and then the
// findings, and its exit status.
#ifndef ZSTARTUP_CHECKER_REPORT_CHECKREPORT_H
#define ZSTARTUP_CHECKER_REPORT_CHECKREPORT_H

#include <windows.h>

#include <string>
#include <vector>

enum class Severity {
    kNote,     // for information
    kWarning,  // it will work, but probably not as meant, or it is unsafe
    kError,    // the launcher will report an error or skip something the list asks for
};

// A text on its way into a report, which holds UTF-8. Plain strings are taken as ANSI text (the
// checker's own words, and paths, names and log lines as the launcher reads them) and converted;
// wide text (task paths, definitions, the launcher's path) converts exactly, and text already
// built in UTF-8 from wide pieces comes in through Utf8Text.
class ReportText {
public:
    ReportText(const std::string& ansi);   // NOLINT: ANSI text is the common case
    ReportText(const char* ansi);          // NOLINT
    ReportText(const std::wstring& wide);  // NOLINT
    const std::string& Utf8() const { return utf8; }

private:
    struct FromUtf8 {};
    ReportText(FromUtf8, const std::string& text) : utf8(text) {}
    friend ReportText Utf8Text(const std::string& utf8);
    std::string utf8;
};

ReportText Utf8Text(const std::string& utf8);

struct Finding {
    Severity severity;
    // A stable identifier of the kind of finding ("list.key-gap"), for scripts to match on.
    std::string code;
    // What it is about: the service, key, file, folder or task, bare (a task's is its path).
    std::string subject;  // UTF-8
    // One line of text, naming the subject and saying what to do.
    std::string message;  // UTF-8
};

// A scheduled task that runs the launcher checked, or another copy of it, or (--task) the
// definition file judged. Texts in UTF-8.
struct ReportedTask {
    std::string path;               // "\zStartup", or the definition file's path
    std::string command;            // its Exec command, as written
    bool runsThisLauncher = false;  // false: another copy, or (--task) another program
    bool enabled = false;
    std::vector<std::string> startTriggers;  // its enabled start triggers: "boot", "logon"
    std::string account;                     // the principal's UserId or GroupId, "" when it names none
    bool highestAvailable = false;
    // --last-run only: the task's last start (UTC) and result, when the Task Scheduler knows them.
    bool lastRunKnown = false;
    FILETIME lastRun = {};
    bool lastResultKnown = false;
    long lastResult = 0;
};

class CheckReport {
public:
    // One line before the findings: a plan line, or a line of the last run.
    void Line(const ReportText& line);
    void Add(Severity severity, const char* code, const ReportText& subject, const ReportText& message);
    void Note(const char* code, const ReportText& subject, const ReportText& message)
    {
        Add(Severity::kNote, code, subject, message);
    }
    void Warning(const char* code, const ReportText& subject, const ReportText& message)
    {
        Add(Severity::kWarning, code, subject, message);
    }
    void Error(const char* code, const ReportText& subject, const ReportText& message)
    {
        Add(Severity::kError, code, subject, message);
    }

    // A task that starts the launcher (or another copy), for the JSON report.
    void Task(const ReportedTask& task) { tasks.push_back(task); }

    const std::vector<std::string>& Lines() const { return lines; }  // UTF-8
    const std::vector<Finding>& Findings() const { return findings; }
    std::vector<ReportedTask>& Tasks() { return tasks; }
    const std::vector<ReportedTask>& Tasks() const { return tasks; }

    // The lines, then one line per finding: "error: ...", "warning: ..." or "note: ...", in
    // UTF-8. Control characters in them are escaped (\t, \r, \n, \u00XX).
    std::string Text() const;
    // 2 when there is an error, 1 when the worst is a warning, else 0.
    int ExitStatus() const;

private:
    std::vector<std::string> lines;
    std::vector<Finding> findings;
    std::vector<ReportedTask> tasks;
};

// "error", "warning" or "note".
const char* SeverityName(Severity severity);

#endif
