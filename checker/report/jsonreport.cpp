#include "checker/report/jsonreport.h"

#include <windows.h>

namespace {

std::string Utf8OfWide(const std::wstring& wide)
{
    if (wide.empty()) return std::string();
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), NULL, 0, NULL, NULL);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], length, NULL, NULL);
    return text;
}

// ANSI code page text in UTF-8.
std::string Utf8OfAnsi(const std::string& ansi)
{
    if (ansi.empty()) return std::string();
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), NULL, 0);
    if (length <= 0) return std::string();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], length);
    return Utf8OfWide(wide);
}

// text (UTF-8) as a JSON string: quoted, with quotes, backslashes and control characters
// escaped.
std::string JsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                wsprintfA(escape, "\\u%04x", static_cast<unsigned char>(c));
                quoted += escape;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

std::string JsonText(const std::string& ansi)
{
    return JsonString(Utf8OfAnsi(ansi));
}

std::string JsonLines(const std::vector<std::string>& lines)
{
    std::string array = "[";
    for (size_t i = 0; i < lines.size(); ++i) array += (i == 0 ? "" : ", ") + JsonText(lines[i]);
    return array + "]";
}

std::string JsonFinding(const Finding& finding)
{
    return std::string("{\"severity\": \"") + SeverityName(finding.severity) + "\", \"code\": " +
           JsonString(finding.code) + ", \"subject\": " + JsonText(finding.subject) +
           ", \"message\": " + JsonText(finding.message) + "}";
}

}  // namespace

std::string JsonReport(const std::wstring& launcher, CheckMode mode, const CheckReport& report, int exitStatus)
{
    const bool plan = mode == CheckMode::kPlan;
    std::string findings = "[";
    for (size_t i = 0; i < report.Findings().size(); ++i)
        findings += std::string(i == 0 ? "" : ",\n    ") + JsonFinding(report.Findings()[i]);
    return "{\"launcher\": " + JsonString(Utf8OfWide(launcher)) + ",\n \"mode\": \"" +
           (plan ? "plan" : "last-run") + "\",\n \"" + (plan ? "plan" : "lastRun") +
           "\": " + JsonLines(report.Lines()) + ",\n \"findings\": " + findings + "],\n \"exitStatus\": " +
           std::to_string(exitStatus) + "}\n";
}
