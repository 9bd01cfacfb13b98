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

ReportText::ReportText(const std::string& ansi) : utf8(Utf8OfAnsi(ansi)) {}

ReportText::ReportText(const char* ansi) : utf8(Utf8OfAnsi(ansi)) {}

ReportText::ReportText(const std::wstring& wide) : utf8(Utf8Of(wide)) {}

ReportText Utf8Text(const std::string& utf8) { return ReportText(ReportText::FromUtf8(), utf8); }

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

void CheckReport::Line(const ReportText& line) { lines.push_back(line.Utf8()); }

void CheckReport::Add(Severity severity, const char* code, const ReportText& subject, const ReportText& message)
{
    findings.push_back({severity, code, subject.Utf8(), message.Utf8()});
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
