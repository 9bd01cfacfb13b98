// ServiceListEntry: one key of the service list, as the launcher reads it.
#ifndef ZSTARTUP_RUNRULES_SERVICELISTENTRY_H
#define ZSTARTUP_RUNRULES_SERVICELISTENTRY_H

// Keys are single characters read in character-code order from '0': '0' to '9', then ':',
// ';', '<' and onward; after the last one-character key there is none.
const unsigned int kFirstListKey = '0';
const unsigned int kLastListKey = 0xFF;
// The longest service name Windows accepts. A longer value names no service.
const int kMaxServiceNameLength = 256;
const unsigned int kServiceNameCapacity = kMaxServiceNameLength + 1;  // terminator included

struct ServiceListEntry {
    char key[2];
    // The STOP and START values, "" when none; of a value longer than kMaxServiceNameLength,
    // its first kMaxServiceNameLength bytes (never half a double-byte character).
    char stopName[kServiceNameCapacity];
    char startName[kServiceNameCapacity];
    // The value is longer than kMaxServiceNameLength: the launcher acts on no service for it.
    bool stopTooLong;
    bool startTooLong;
};

// Reads the STOP and START values of key keyCode from the list at listPath (a full path), as
// the profile reader gives them: blanks around them and one pair of quotes removed. A value
// of up to kMaxServiceNameLength characters comes back whole, quoted or not. False when both
// are empty: the list ends there.
bool ReadServiceListEntry(const char* listPath, unsigned int keyCode, ServiceListEntry& entry);

#endif
