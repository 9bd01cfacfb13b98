// Service names compared as the service manager compares them.
#ifndef ZSTARTUP_RUNRULES_SERVICENAME_H
#define ZSTARTUP_RUNRULES_SERVICENAME_H

#include <windows.h>

// Orders two service names (ANSI text in codePage) the way the service manager tells them
// apart: both converted to UTF-16 as the A calls convert them, then compared code unit by code
// unit after Windows' own upper-case table (CompareStringOrdinal ignoring case). The user's
// locale plays no part: "FILE" and "file" are one name under a Turkish locale too, while the
// dotted capital I and the dotless small i are no other letter's case, and "ss" is not "ß".
//
// Negative, 0 or positive as a sorts before, with or after b. A text longer than
// kMaxServiceNameLength bytes is no service's name: it equals no other text and sorts after
// every name, among such texts by its bytes.
int CompareServiceNames(const char* a, const char* b, UINT codePage = CP_ACP);

// CompareServiceNames(a, b, codePage) == 0.
bool SameServiceName(const char* a, const char* b, UINT codePage = CP_ACP);

#endif
