#include "checker/rights/accountnames.h"

#include <sddl.h>

#include "helpers/uniqueany.h"

std::string SidText(PSID sid)
{
    UniqueLocal<char*> text;
    return ConvertSidToStringSidA(sid, text.Put()) ? text.Get() : std::string();
}

std::string AccountName(const std::string& sid)
{
    UniqueLocal<PSID> binary;
    if (!ConvertStringSidToSidA(sid.c_str(), binary.Put())) return sid;
    char name[256];
    char domain[256];
    DWORD nameSize = sizeof name;
    DWORD domainSize = sizeof domain;
    SID_NAME_USE use;
    if (!LookupAccountSidA(NULL, binary.Get(), name, &nameSize, domain, &domainSize, &use)) return sid;
    return domain[0] != '\0' ? std::string(domain) + "\\" + name : std::string(name);
}
