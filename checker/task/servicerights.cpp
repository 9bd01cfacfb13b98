#include "checker/task/servicerights.h"

#include <sddl.h>

#include "checker/rights/accountnames.h"
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

// The SID of an entry whose SID follows its mask directly (the plain and callback kinds); null
// for the other kinds and for a SID past the entry's end.
PSID PlainEntrySid(const ACE_HEADER* header)
{
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE &&
        header->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE && header->AceType != ACCESS_DENIED_CALLBACK_ACE_TYPE)
        return NULL;
    BYTE* sid =
        reinterpret_cast<BYTE*>(&reinterpret_cast<ACCESS_ALLOWED_ACE*>(const_cast<ACE_HEADER*>(header))->SidStart);
    const BYTE* end = reinterpret_cast<const BYTE*>(header) + header->AceSize;
    const size_t room = sid < end ? static_cast<size_t>(end - sid) : 0;
    if (room < sizeof(SID) - sizeof(DWORD) || !IsValidSid(sid) || GetLengthSid(sid) > room) return NULL;
    return sid;
}

bool IsDeny(BYTE type)
{
    return type == ACCESS_DENIED_ACE_TYPE || type == ACCESS_DENIED_CALLBACK_ACE_TYPE ||
           type == ACCESS_DENIED_OBJECT_ACE_TYPE || type == ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE;
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
        if ((header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;
        ACCESS_MASK mask = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header)->Mask;
        MapGenericMask(&mask, &kServiceMapping);
        const DWORD undecided = mask & wanted & ~(granted | denied);
        const PSID sid = PlainEntrySid(header);
        const std::string account = sid != NULL ? SidText(sid) : std::string();
        if (IsDeny(header->AceType)) {
            // An object entry's SID is not read: it may name this token.
            if (sid == NULL || Holds(enabledSids, account) || Holds(denyOnlySids, account)) denied |= undecided;
        } else if (header->AceType == ACCESS_ALLOWED_ACE_TYPE && Holds(enabledSids, account)) {
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
