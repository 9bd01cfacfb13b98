#include "helpers/text.h"

#include <windows.h>

#include <cstdio>

namespace {

template <typename Char>
std::basic_string<Char> TrimmedOf(const std::basic_string<Char>& text, const Char* blanks)
{
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::basic_string<Char>::npos) return std::basic_string<Char>();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::wstring WideOf(UINT codePage, const std::string& text)
{
    if (text.empty()) return std::wstring();
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, NULL, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], length);
    return wide;
}

}  // namespace

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string Trimmed(const std::string& text) { return TrimmedOf(text, " \t\r\n"); }

std::wstring Trimmed(const std::wstring& text) { return TrimmedOf(text, L" \t\r\n"); }

std::string Unquoted(const std::string& value)
{
    const bool quoted = value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
    return quoted ? value.substr(1, value.size() - 2) : value;
}

std::string JsonEscape(unsigned int character)
{
    switch (character) {
    case '"':
        return "\\\"";
    case '\\':
        return "\\\\";
    case '\t':
        return "\\t";
    case '\r':
        return "\\r";
    case '\n':
        return "\\n";
    }
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", character & 0xFFFF);
    return escape;
}

std::string TextInCodePage(const std::wstring& wide, unsigned int codePage, unsigned long flags)
{
    if (wide.empty()) return std::string();
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(codePage, flags, wide.data(), size, NULL, 0, NULL, NULL);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), size, &text[0], length, NULL, NULL);
    return text;
}

std::string Utf8Of(const std::wstring& wide) { return TextInCodePage(wide, CP_UTF8); }

std::string Utf8OfAnsi(const std::string& ansi) { return Utf8Of(WideOf(CP_ACP, ansi)); }

std::wstring WideOfUtf8(const std::string& utf8) { return WideOf(CP_UTF8, utf8); }
