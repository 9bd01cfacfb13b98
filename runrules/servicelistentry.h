// ServiceListEntry: one key of the service list, as the launcher reads it.
#ifndef ZSTARTUP_RUNRULES_SERVICELISTENTRY_H
#define ZSTARTUP_RUNRULES_SERVICELISTENTRY_H

#include <windows.h>

// Keys are single characters read in character-code order from '0': '0' to '9', then ':',
// ';', '<' and onward; after the last one-character key there is none.
const unsigned int kFirstListKey = '0';
const unsigned int kLastListKey = 0xFF;
// The longest service name Windows accepts. A longer value names no service.
const int kMaxServiceNameLength = 256;
const unsigned int kServiceNameCapacity = kMaxServiceNameLength + 1;  // terminator included

struct ServiceListEntry {
    char key[2];
    // The STOP and START values in the ANSI code page, "" when none; of a value longer than
    // kMaxServiceNameLength bytes there, its first kMaxServiceNameLength bytes (never half a
    // double-byte character).
    char stopName[kServiceNameCapacity];
    char startName[kServiceNameCapacity];
    // The value is longer than kMaxServiceNameLength: the launcher acts on no service for it.
    bool stopTooLong;
    bool startTooLong;
    // The value has a character that the ANSI code page cannot hold exactly (in a UTF-16 list):
    // the name shows '?' in its place, and the launcher acts on no service for it. A look-alike
    // (best fit) would name another service: the full-width "Ｒ０" is not "R0".
    bool stopNotAnsi;
    bool startNotAnsi;
    // Not 0 when a value read empty because another handle held the list (a sharing or lock
    // violation): the error. The list cannot be read past this key.
    DWORD readError;
};

// Reads the STOP and START values of key keyCode from the list at listPath (a full path) with
// the UTF-16 profile reader, as it gives them: blanks around them and one pair of quotes
// removed. A value of up to kMaxServiceNameLength characters comes back whole, quoted or not.
// False when both are empty, or on readError: the list ends there.
bool ReadServiceListEntry(const wchar_t* listPath, unsigned int keyCode, ServiceListEntry& entry);

// The same for a list path in the ANSI code page.
bool ReadServiceListEntry(const char* listPath, unsigned int keyCode, ServiceListEntry& entry);

#endif
