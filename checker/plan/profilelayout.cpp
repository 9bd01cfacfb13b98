#include "checker/plan/profilelayout.h"

#include <windows.h>

#include "checker/plan/profiletext.h"
#include "helpers/filereading.h"
#include "helpers/text.h"

namespace {

// Beyond this a profile file is not a service list.
const DWORD kMaxBytes = 1 << 20;

std::string ReadBytes(const char* path)
{
    std::string bytes(kMaxBytes, '\0');
    DWORD count = 0;
    ReadFileStart(path, &bytes[0], kMaxBytes, count);
    bytes.resize(count);
    return bytes;
}

std::string AnsiOfUtf16(const std::string& bytes)
{
    const std::wstring wide(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    return TextInCodePage(wide, CP_ACP);
}

// The file's text in the ANSI code page, without its byte order mark.
std::string ProfileText(const char* path)
{
    const std::string bytes = ReadBytes(path);
    if (StartsWith(bytes, "\xFF\xFE")) return AnsiOfUtf16(bytes.substr(2));
    if (StartsWith(bytes, "\xFE\xFF")) return std::string();
    if (StartsWith(bytes, "\xEF\xBB\xBF")) return bytes.substr(3);
    return bytes;
}

// Adds the line (trimmed, not empty, not a comment) to sections.
void TakeLine(const std::string& line, int number, std::vector<WrittenSection>& sections)
{
    const size_t close = line.rfind(']');
    if (line[0] == '[' && close != std::string::npos) {
        sections.push_back({Trimmed(line.substr(1, close - 1)), number, {}});
        return;
    }
    if (sections.empty()) return;
    const size_t equals = line.find('=');
    const std::string name = Trimmed(line.substr(0, equals));
    const std::string value = equals == std::string::npos ? std::string() : Unquoted(Trimmed(line.substr(equals + 1)));
    sections.back().keys.push_back({name, value, number, equals != std::string::npos});
}

}  // namespace

std::vector<WrittenSection> ReadProfileLayout(const char* path)
{
    const std::string text = ProfileText(path);
    std::vector<WrittenSection> sections;
    int number = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = Trimmed(line);
        ++number;
        if (!line.empty() && line[0] != ';') TakeLine(line, number, sections);
        at = end + 1;
    }
    return sections;
}
