// How the profile reader takes a key's name and value from a line of a profile file, and how
// it compares section and key names.
#ifndef ZSTARTUP_CHECKER_PLAN_PROFILETEXT_H
#define ZSTARTUP_CHECKER_PLAN_PROFILETEXT_H

#include <string>

// text without the blanks (spaces and tabs) around it.
std::string Trimmed(const std::string& text);

// value without one pair of surrounding quotes, single or double (GetPrivateProfileString's
// documentation); value itself when it has none.
std::string Unquoted(const std::string& value);

// name in upper case: section and key names compare without regard to case.
std::string FoldedName(const std::string& name);

#endif
