#include "checker/checkreport.h"

namespace {

const char* Prefix(Severity severity)
{
    switch (severity) {
    case Severity::kError:
        return "error: ";
    case Severity::kWarning:
        return "warning: ";
    case Severity::kNote:
        break;
    }
    return "note: ";
}

}  // namespace

void CheckReport::Plan(const std::string& line)
{
    plan.push_back(line);
}

void CheckReport::Add(Severity severity, const std::string& text)
{
    findings.push_back({severity, text});
}

std::string CheckReport::Text() const
{
    std::string text;
    for (const std::string& line : plan) text += line + "\n";
    for (const Finding& finding : findings) text += Prefix(finding.severity) + finding.text + "\n";
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
