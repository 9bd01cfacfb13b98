// How the profile reader compares section and key names; it takes a key's name and value from
// a line as Trimmed and Unquoted do.
#ifndef ZSTARTUP_CHECKER_PLAN_PROFILETEXT_H
#define ZSTARTUP_CHECKER_PLAN_PROFILETEXT_H

#include <string>

#include "helpers/text.h"

// name in upper case: section and key names compare without regard to case.
std::string FoldedName(const std::string& name);

#endif
