#include "checker/task/servicerights.h"

#include <sddl.h>

#include "checker/rights/daclentry.h"
#include "helpers/uniqueany.h"

namespace {

struct RightName {
    DWORD right;
    const char* sddl;
    const char* words;
};

// In SDDL's own order; the letters are the directory-service names SDDL gives these bits.
const RightName kServiceRights[] = {
    {SERVICE_QUERY_CONFIG, "CC", "query configuration"},
    {SERVICE_CHANGE_CONFIG, "DC", "change configuration"},
    {SERVICE_QUERY_STATUS, "LC", "query status"},
    {SERVICE_ENUMERATE_DEPENDENTS, "SW", "list dependents"},
    {SERVICE_START, "RP", "start"},
    {SERVICE_STOP, "WP", "stop"},
    {SERVICE_PAUSE_CONTINUE, "DT", "pause and continue"},
    {SERVICE_INTERROGATE, "LO", "interrogate"},
    {SERVICE_USER_DEFINED_CONTROL, "CR", "send its own controls"},
};

// Microsoft, "Service Security and Access Rights": the generic rights of a service object.
GENERIC_MAPPING kServiceMapping = {
    STANDARD_RIGHTS_READ | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_INTERROGATE |
        SERVICE_ENUMERATE_DEPENDENTS,
    STANDARD_RIGHTS_WRITE | SERVICE_CHANGE_CONFIG,
    STANDARD_RIGHTS_EXECUTE | SERVICE_START | SERVICE_STOP | SERVICE_PAUSE_CONTINUE | SERVICE_USER_DEFINED_CONTROL,
    SERVICE_ALL_ACCESS};

bool Holds(const std::vector<std::string>& sids, const std::string& sid)
{
    for (const std::string& held : sids) {
        if (held == sid) return true;
    }
    return false;
}

}  // namespace

DWORD GrantedServiceRights(PSECURITY_DESCRIPTOR descriptor, const std::vector<std::string>& enabledSids,
                           const std::vector<std::string>& denyOnlySids, DWORD wanted)
{
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = NULL;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) return 0;
    if (!present || dacl == NULL) return wanted;
    DWORD granted = 0;
    DWORD denied = 0;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = NULL;
        if (!GetAce(dacl, i, &ace)) continue;
        const ACE_HEADER* header = static_cast<const ACE_HEADER*>(ace);
        DaclEntry entry;
        if ((header->AceFlags & INHERIT_ONLY_ACE) != 0 || !ReadDaclEntry(header, entry)) continue;
        MapGenericMask(&entry.mask, &kServiceMapping);
        const DWORD undecided = entry.mask & wanted & ~(granted | denied);
        if (!entry.allow) {
            // A deny entry whose SID cannot be read may name this token.
            if (entry.sid.empty() || Holds(enabledSids, entry.sid) || Holds(denyOnlySids, entry.sid))
                denied |= undecided;
        } else if (entry.evaluated && Holds(enabledSids, entry.sid)) {
            granted |= undecided;
        }
    }
    return granted;
}

std::string ServiceRightsInWords(DWORD rights)
{
    std::string words;
    for (const RightName& name : kServiceRights) {
        if ((rights & name.right) != 0) words += (words.empty() ? "" : ", ") + std::string(name.words);
    }
    return words;
}

std::string ServiceRightsSddl(DWORD rights)
{
    std::string letters;
    for (const RightName& name : kServiceRights) {
        if ((rights & name.right) != 0) letters += name.sddl;
    }
    return letters;
}

std::string SddlWithEntry(PSECURITY_DESCRIPTOR descriptor, DWORD rights, const std::string& sid)
{
    UniqueLocal<char*> text;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                              text.Put(), NULL))
        return std::string();
    return std::string(text.Get()) + "(A;;" + ServiceRightsSddl(rights) + ";;;" + sid + ")";
}
