// TaskPrincipal: who a task's actions run as, with what token, and in which session, as far as
// this computer alone can tell.
#ifndef ZSTARTUP_CHECKER_TASK_TASKPRINCIPAL_H
#define ZSTARTUP_CHECKER_TASK_TASKPRINCIPAL_H

#include <string>
#include <vector>

#include "checker/task/taskdefinition.h"

// What this computer says about its accounts, read once per check (ReadAccountFacts).
struct AccountFacts {
    // The direct members of the local Administrators group (S-1-5-32-544), as SIDs.
    bool administratorsRead = false;
    std::vector<std::string> administrators;
    // This computer's own accounts' SIDs begin with it ("S-1-5-21-1-2-3-"); "" when unknown.
    std::string localAccountPrefix;
    // The account Windows logs on automatically (Winlogon's AutoAdminLogon 1), when it is one of
    // this computer's own: "" otherwise.
    std::string automaticLogonSid;
};

// Reads the facts. Nothing is asked of a domain controller: a domain account's membership of
// a domain group that Administrators holds stays unknown.
AccountFacts ReadAccountFacts();

enum class Elevation {
    kElevated,     // LocalSystem, or an administrator with RunLevel HighestAvailable
    kNotElevated,  // every run has a standard token
    // HighestAvailable for accounts some of which are administrators (a group's members), or an
    // account whose membership of Administrators this computer cannot tell
    kMaybe,
};

struct TaskPrincipal {
    bool known = false;   // false: no principal, or an account this computer cannot resolve
    std::string account;  // for messages, UTF-8: "S-1-5-18 (NT AUTHORITY\SYSTEM)", "group S-1-5-32-545 (BUILTIN\Users)"
    std::string grantSid;  // the SID an entry granting the launcher's rights should name
    Elevation elevation = Elevation::kNotElevated;
    std::string whyNotElevated;  // for messages, when not kElevated: "RunLevel LeastPrivilege, the default"
    // LocalSystem, LocalService, NetworkService or a service account: the task runs in session 0,
    // which has no desktop anyone sees.
    bool sessionZero = false;
    // The SIDs of the token a run has, for access checks: those that grant and deny, and those
    // that only deny (Administrators in an administrator's filtered token).
    std::vector<std::string> enabledSids;
    std::vector<std::string> denyOnlySids;
};

// The principal of definition's actions. Its token holds the account's SID and the groups
// every interactive logon carries (Users, INTERACTIVE, Authenticated Users, Everyone), or, for
// LocalService, NetworkService and service accounts, Users, Authenticated Users and Everyone;
// a group principal is judged for a member who is no administrator, except that the account
// facts.automaticLogonSid names is the member who logs on when the group is one every
// interactive logon carries. A user is an administrator when Administrators holds it, or a
// group its token carries; whether a domain account is one stays unknown when Administrators
// holds accounts of another domain.
TaskPrincipal PrincipalOf(const TaskDefinition& definition, const AccountFacts& facts);

#endif
