// One entry of a DACL as the checker's access walks read it.
#ifndef ZSTARTUP_CHECKER_RIGHTS_DACLENTRY_H
#define ZSTARTUP_CHECKER_RIGHTS_DACLENTRY_H

#include <windows.h>

#include <string>

// What an allow or deny entry says. Only the plain kinds are evaluated: a callback entry's
// condition, or an object entry's object type, may or may not make it apply.
struct DaclEntry {
    bool allow = false;
    bool evaluated = false;
    ACCESS_MASK mask = 0;
    std::string sid;  // "" when the SID runs past the entry's end
};

// False for the kinds that neither grant nor deny (audit, label, ...).
bool ReadDaclEntry(const ACE_HEADER* header, DaclEntry& entry);

#endif
