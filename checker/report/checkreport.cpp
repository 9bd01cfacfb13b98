#include "checker/report/checkreport.h"

const char* SeverityName(Severity severity)
{
    switch (severity) {
    case Severity::kError:
        return "error";
    case Severity::kWarning:
        return "warning";
    case Severity::kNote:
        break;
    }
    return "note";
}

void CheckReport::Line(const std::string& line)
{
    lines.push_back(line);
}

void CheckReport::Add(Severity severity, const char* code, const std::string& subject, const std::string& message)
{
    findings.push_back({severity, code, subject, message});
}

std::string CheckReport::Text() const
{
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    for (const Finding& finding : findings)
        text += std::string(SeverityName(finding.severity)) + ": " + finding.message + "\n";
    return text;
}

int CheckReport::ExitStatus() const
{
    int status = 0;
    for (const Finding& finding : findings) {
        if (finding.severity == Severity::kError) return 2;
        if (finding.severity == Severity::kWarning) status = 1;
    }
    return status;
}
