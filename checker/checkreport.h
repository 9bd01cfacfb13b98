// CheckReport: what the checker prints, the plan first and then the findings, and its exit
// status.
#ifndef ZSTARTUP_CHECKER_CHECKREPORT_H
#define ZSTARTUP_CHECKER_CHECKREPORT_H

#include <string>
#include <vector>

enum class Severity {
    kNote,     // for information
    kWarning,  // it will work, but probably not as meant, or it is unsafe
    kError,    // the launcher will report an error or skip something the list asks for
};

class CheckReport {
public:
    void Plan(const std::string& line);
    void Add(Severity severity, const std::string& text);
    void Note(const std::string& text) { Add(Severity::kNote, text); }
    void Warning(const std::string& text) { Add(Severity::kWarning, text); }
    void Error(const std::string& text) { Add(Severity::kError, text); }

    // The plan lines, then one line per finding: "error: ...", "warning: ..." or "note: ...".
    std::string Text() const;
    // 2 when there is an error, 1 when the worst is a warning, else 0.
    int ExitStatus() const;

private:
    struct Finding {
        Severity severity;
        std::string text;
    };

    std::vector<std::string> plan;
    std::vector<Finding> findings;
};

#endif
