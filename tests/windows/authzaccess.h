// AuthzAccess: Windows' own access check (AuthzAccessCheck) for a client made of given SIDs,
// the answer the checker's rights walk is compared with. Nothing is looked up: the client
// holds exactly the SIDs it is given (AUTHZ_SKIP_TOKEN_GROUPS), and no privilege.
#ifndef ZSTARTUP_TESTS_WINDOWS_AUTHZACCESS_H
#define ZSTARTUP_TESTS_WINDOWS_AUTHZACCESS_H

#include <windows.h>
#include <authz.h>

#include <string>
#include <vector>

#include "helpers/uniqueany.h"

// A client: its user SID, its other enabled groups, and groups it holds for deny only (entries
// that deny them apply to it; entries that allow them do not).
struct AuthzClient {
    std::string user;  // S-1-... or an SDDL alias
    std::vector<std::string> groups;
    std::vector<std::string> denyOnly;
};

class AuthzAccess {
public:
    // A resource manager without auditing, for which callback entries apply whenever their
    // account matches (as the rights walk counts them).
    AuthzAccess();
    AuthzAccess(const AuthzAccess&) = delete;  // owns the resource manager
    AuthzAccess& operator=(const AuthzAccess&) = delete;

    explicit operator bool() const { return static_cast<bool>(manager_); }

    // The rights client is granted (MAXIMUM_ALLOWED) on an object that descriptor (owner and
    // DACL) protects. False, with error set to the failing call's error, when Authz cannot
    // answer; granted is 0 when it grants nothing.
    bool Granted(PSECURITY_DESCRIPTOR descriptor, const AuthzClient& client, DWORD& granted, DWORD& error) const;

private:
    UniqueAny<AUTHZ_RESOURCE_MANAGER_HANDLE, ::AuthzFreeResourceManager> manager_;
};

#endif
