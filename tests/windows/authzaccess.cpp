#include "tests/windows/authzaccess.h"

#include <sddl.h>

namespace {

using UniqueContext = UniqueAny<AUTHZ_CLIENT_CONTEXT_HANDLE, ::AuthzFreeContext>;
using UniqueSid = UniqueLocal<PSID>;

BOOL CALLBACK CallbackEntryApplies(AUTHZ_CLIENT_CONTEXT_HANDLE, PACE_HEADER, PVOID, PBOOL applies)
{
    *applies = TRUE;
    return TRUE;
}

UniqueSid SidOf(const std::string& text)
{
    PSID sid = nullptr;
    return UniqueSid(ConvertStringSidToSidA(text.c_str(), &sid) ? sid : nullptr);
}

// The SIDs of client but its user, each with its attributes; the SIDs are owned by sids.
std::vector<SID_AND_ATTRIBUTES> GroupsOf(const AuthzClient& client, std::vector<UniqueSid>& sids, bool& converted)
{
    std::vector<SID_AND_ATTRIBUTES> groups;
    converted = true;
    auto add = [&](const std::string& text, DWORD attributes) {
        sids.push_back(SidOf(text));
        converted = converted && sids.back();
        groups.push_back({sids.back().Get(), attributes});
    };
    for (const std::string& group : client.groups) add(group, SE_GROUP_ENABLED | SE_GROUP_MANDATORY);
    for (const std::string& group : client.denyOnly) add(group, SE_GROUP_USE_FOR_DENY_ONLY);
    return groups;
}

}  // namespace

AuthzAccess::AuthzAccess()
{
    AUTHZ_RESOURCE_MANAGER_HANDLE manager = nullptr;
    if (AuthzInitializeResourceManager(AUTHZ_RM_FLAG_NO_AUDIT, CallbackEntryApplies, nullptr, nullptr,
                                       L"zStartup rights tests", &manager))
        manager_.Reset(manager);
}

bool AuthzAccess::Granted(PSECURITY_DESCRIPTOR descriptor, const AuthzClient& client, DWORD& granted,
                          DWORD& error) const
{
    granted = 0;
    const UniqueSid user = SidOf(client.user);
    std::vector<UniqueSid> sids;
    bool converted = false;
    std::vector<SID_AND_ATTRIBUTES> groups = GroupsOf(client, sids, converted);
    if (!user || !converted) {
        error = ERROR_INVALID_SID;
        return false;
    }
    const LUID unused = {0, 0};
    UniqueContext alone;
    UniqueContext context;
    if (!AuthzInitializeContextFromSid(AUTHZ_SKIP_TOKEN_GROUPS, user.Get(), manager_.Get(), nullptr, unused, nullptr,
                                       alone.Put()) ||
        (!groups.empty() && !AuthzAddSidsToContext(alone.Get(), groups.data(), static_cast<DWORD>(groups.size()),
                                                   nullptr, 0, context.Put()))) {
        error = GetLastError();
        return false;
    }
    const AUTHZ_CLIENT_CONTEXT_HANDLE asking = groups.empty() ? alone.Get() : context.Get();
    AUTHZ_ACCESS_REQUEST request = {MAXIMUM_ALLOWED, nullptr, nullptr, 0, nullptr};
    DWORD checkError = 0;
    AUTHZ_ACCESS_REPLY reply = {1, &granted, nullptr, &checkError};
    if (!AuthzAccessCheck(0, asking, &request, nullptr, descriptor, nullptr, 0, &reply, nullptr)) {
        error = GetLastError();
        return false;
    }
    // ERROR_ACCESS_DENIED here is an answer: nothing granted.
    error = checkError == ERROR_ACCESS_DENIED ? 0 : checkError;
    return error == 0;
}
