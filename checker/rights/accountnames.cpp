#include "checker/rights/accountnames.h"

#include <sddl.h>

std::string SidText(PSID sid)
{
    char* text = NULL;
    if (!ConvertSidToStringSidA(sid, &text)) return std::string();
    std::string result = text;
    LocalFree(text);
    return result;
}

std::string AccountName(const std::string& sid)
{
    PSID binary = NULL;
    if (!ConvertStringSidToSidA(sid.c_str(), &binary)) return sid;
    char name[256];
    char domain[256];
    DWORD nameSize = sizeof name;
    DWORD domainSize = sizeof domain;
    SID_NAME_USE use;
    const BOOL found = LookupAccountSidA(NULL, binary, name, &nameSize, domain, &domainSize, &use);
    LocalFree(binary);
    if (!found) return sid;
    return domain[0] != '\0' ? std::string(domain) + "\\" + name : std::string(name);
}
