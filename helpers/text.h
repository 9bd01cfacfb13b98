// Small operations on the checker's texts, each with one rule.
#ifndef ZSTARTUP_HELPERS_TEXT_H
#define ZSTARTUP_HELPERS_TEXT_H

#include <string>

bool StartsWith(const std::string& text, const std::string& prefix);
bool EndsWith(const std::string& text, const std::string& suffix);

// text without the blanks around it: spaces, tabs, carriage returns and line feeds (XML's
// white space, and what a line may keep of a CR CR LF ending).
std::string Trimmed(const std::string& text);
std::wstring Trimmed(const std::wstring& text);

// value without one pair of surrounding quotes, both single or both double, as the profile
// reader takes a value (GetPrivateProfileString's documentation); value itself when it has none.
std::string Unquoted(const std::string& value);

// How JSON escapes a character (a byte, or a UTF-16 unit): \", \\, \t, \r, \n, or \u and four
// lower-case hex digits for any other. Callers choose what to escape.
std::string JsonEscape(unsigned int character);

// The checker's report texts are UTF-8: each of these converts at the way in or out, with
// Windows' converters. Invalid input (an unpaired surrogate, a byte sequence that is no UTF-8)
// becomes U+FFFD, one per bad unit or byte at most, so nothing grows past its input's length in
// UTF-16 units, or three bytes per unit in UTF-8.
std::string Utf8Of(const std::wstring& wide);
// wide in codePage, converted by WideCharToMultiByte with flags (its WC_ flags); "" when the
// code page refuses the flags or the text.
std::string TextInCodePage(const std::wstring& wide, unsigned int codePage, unsigned long flags = 0);
// ansi: text in the process's ANSI code page (paths and names as the launcher reads them, log lines).
std::string Utf8OfAnsi(const std::string& ansi);
std::wstring WideOfUtf8(const std::string& utf8);

#endif
