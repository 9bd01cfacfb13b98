#include "checker/report/checkreport.h"

#include "helpers/text.h"

namespace {

// text with its control characters escaped as JSON writes them: a log line may hold any byte,
// and a NUL or an escape sequence must neither end nor garble the output.
std::string Printable(const std::string& text)
{
    std::string printable;
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F)
            printable += c;
        else
            printable += JsonEscape(byte);
    }
    return printable;
}

}  // namespace

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

void CheckReport::Line(const std::string& line) { lines.push_back(line); }

void CheckReport::Add(Severity severity, const char* code, const std::string& subject, const std::string& message)
{
    findings.push_back({severity, code, subject, message});
}

std::string CheckReport::Text() const
{
    std::string text;
    for (const std::string& line : lines) text += Printable(line) + "\n";
    for (const Finding& finding : findings)
        text += std::string(SeverityName(finding.severity)) + ": " + Printable(finding.message) + "\n";
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
