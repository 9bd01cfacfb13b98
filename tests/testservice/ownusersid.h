// OwnUserSid: the account the running program is, for the test service's event descriptor and
// for the tests that own events in its name.
#ifndef ZSTARTUP_TESTS_TESTSERVICE_OWNUSERSID_H
#define ZSTARTUP_TESTS_TESTSERVICE_OWNUSERSID_H

#include <string>

// The SID of this process's token user, as text (S-1-...); "" when it cannot be read.
std::string OwnUserSid();

#endif
