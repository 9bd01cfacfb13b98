#include "tests/checker/checkeroutput.h"

#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <tuple>

#include "tests/harness/testfolder.h"
#include "tests/harness/widetext.h"
#include "tests/testservice/ownusersid.h"

namespace {

const char k32BitOn64BitMark[] = "{32-bit on 64-bit}";

std::string Replaced(std::string text, const std::map<std::string, std::string>& values)
{
    for (const auto& value : values) {
        for (size_t at = 0; (at = text.find(value.first, at)) != std::string::npos; at += value.second.size())
            text.replace(at, value.first.size(), value.second);
    }
    return text;
}

// The one line of output that is the report: the checker's usage, on standard error, shares
// the pipe.
std::string ReportLine(const std::string& output)
{
    std::string found;
    for (const std::string& line : Lines(output)) {
        if (!StartsWith(line, "{")) continue;
        EXPECT_TRUE(found.empty()) << "more than one report\n" << output;
        found = line;
    }
    return found;
}

Findings FindingsOf(const JsonValue& findings)
{
    Findings read;
    for (const JsonValue& finding : findings.items)
        read.push_back({finding["severity"].text, finding["code"].text, finding["subject"].text});
    return Sorted(read);
}

}  // namespace

ProgramRun RunChecker(const std::string& arguments, const std::string& directory)
{
    ProgramLaunch launch;
    launch.path = BesideThisProgram("zStartupCheck.exe");
    launch.arguments = arguments;
    launch.directory = directory;
    ProgramRun run = RunProgram(launch);
    EXPECT_TRUE(run.finished);
    return run;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool operator==(const ReportedFinding& a, const ReportedFinding& b)
{
    return std::tie(a.severity, a.code, a.subject) == std::tie(b.severity, b.code, b.subject);
}

bool operator<(const ReportedFinding& a, const ReportedFinding& b)
{
    return std::tie(a.code, a.subject, a.severity) < std::tie(b.code, b.subject, b.severity);
}

void PrintTo(const ReportedFinding& finding, std::ostream* out)
{
    *out << "(" << finding.severity << ", " << finding.code << ", \"" << finding.subject << "\")";
}

Findings Sorted(Findings findings)
{
    std::sort(findings.begin(), findings.end());
    return findings;
}

CheckerReport ReadReport(const ProgramRun& run)
{
    EXPECT_TRUE(run.finished);
    CheckerReport report;
    report.exitCode = run.exitCode;
    report.output = run.output;
    std::string error;
    if (!ReadJson(ReportLine(run.output), report.json, error)) {
        ADD_FAILURE() << "no JSON report: " << error << "\n" << run.output;
        return report;
    }
    EXPECT_EQ(report.json["exitStatus"].number, static_cast<double>(run.exitCode)) << run.output;
    const JsonValue& lines = report.json[report.json["mode"].text == "last-run" ? "lastRun" : "plan"];
    for (const JsonValue& line : lines.items) report.lines.push_back(line.text);
    report.findings = FindingsOf(report.json["findings"]);
    return report;
}

CheckerReport CheckJson(const std::string& arguments, const std::string& directory)
{
    return ReadReport(RunChecker("--json " + arguments, directory));
}

bool Built32BitOn64BitWindows()
{
#ifdef _WIN64
    return false;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

std::vector<std::string> GoldenLines(const std::string& name, const std::map<std::string, std::string>& values)
{
    const std::string text = ReadFileBytes(BesideThisProgram(name));
    EXPECT_FALSE(text.empty()) << "no golden text " << name;
    std::vector<std::string> lines;
    for (std::string line : Lines(text)) {
        if (StartsWith(line, k32BitOn64BitMark)) {
            if (!Built32BitOn64BitWindows()) continue;
            line.erase(0, sizeof k32BitOn64BitMark - 1);
        }
        lines.push_back(Replaced(line, values));
    }
    return lines;
}

std::string OwnAccountName()
{
    PSID sid = nullptr;
    if (!ConvertStringSidToSidA(OwnUserSid().c_str(), &sid)) return "(no SID)";
    char name[256], domain[256];
    DWORD nameSize = sizeof name, domainSize = sizeof domain;
    SID_NAME_USE use;
    const BOOL found = LookupAccountSidA(nullptr, sid, name, &nameSize, domain, &domainSize, &use);
    LocalFree(sid);
    return found ? std::string(domain) + "\\" + name : "(no name)";
}

CheckerReport CheckFromFolderOutsideTheCodePage(const std::string& folder, const std::string& arguments)
{
    const std::wstring directory = Wide(folder) + L"\\\u041F\u043E\u043A\u0430\u0437";
    EXPECT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
    for (const wchar_t* program : {L"zStartup.exe", L"zStartupCheck.exe"}) {
        const std::wstring built = Wide(BesideThisProgram("")) + program;
        EXPECT_TRUE(CopyFileW(built.c_str(), (directory + L"\\" + program).c_str(), FALSE));
    }
    ProgramLaunch launch;
    launch.widePath = directory + L"\\zStartupCheck.exe";
    launch.arguments = arguments;
    launch.directory = folder;
    return ReadReport(RunProgram(launch));
}
