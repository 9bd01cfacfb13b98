#include "runrules/servicename.h"

#include <cstring>

#include "runrules/servicelistentry.h"

namespace {

// UTF-16 from codePage without the invalid-character check: OpenServiceA converts the same way.
bool Widen(const char* name, UINT codePage, wchar_t (&wide)[kServiceNameCapacity])
{
    if (lstrlenA(name) > kMaxServiceNameLength) return false;
    return MultiByteToWideChar(codePage, 0, name, -1, wide, kServiceNameCapacity) != 0;
}

}  // namespace

int CompareServiceNames(const char* a, const char* b, UINT codePage)
{
    wchar_t wideA[kServiceNameCapacity];
    wchar_t wideB[kServiceNameCapacity];
    const bool nameA = Widen(a, codePage, wideA);
    const bool nameB = Widen(b, codePage, wideB);
    if (!nameA || !nameB) return nameA == nameB ? std::strcmp(a, b) : (nameA ? -1 : 1);
    return CompareStringOrdinal(wideA, -1, wideB, -1, TRUE) - CSTR_EQUAL;
}

bool SameServiceName(const char* a, const char* b, UINT codePage) { return CompareServiceNames(a, b, codePage) == 0; }
