// Accounts as the checker's findings name them.
#ifndef ZSTARTUP_CHECKER_RIGHTS_ACCOUNTNAMES_H
#define ZSTARTUP_CHECKER_RIGHTS_ACCOUNTNAMES_H

#include <windows.h>

#include <string>

// "S-1-5-...": sid as text; "" when it cannot be converted.
std::string SidText(PSID sid);

// "DOMAIN\name" (or "name" for an account without a domain) for sid in text form; the SID
// itself when it has no name here.
std::string AccountName(const std::string& sid);

#endif
