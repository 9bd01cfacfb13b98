// ServiceListEntry: one key of the service list, as the launcher reads it.
#ifndef ZSTARTUP_RUNRULES_SERVICELISTENTRY_H
#define ZSTARTUP_RUNRULES_SERVICELISTENTRY_H

// Keys are single characters read in character-code order from '0': '0' to '9', then ':',
// ';', '<' and onward; after the last one-character key there is none.
const unsigned int kFirstListKey = '0';
const unsigned int kLastListKey = 0xFF;
// The longest service name Windows accepts, and so the longest value read; the profile reader
// cuts longer values.
const int kMaxServiceNameLength = 256;
const unsigned int kServiceNameCapacity = kMaxServiceNameLength + 1;  // terminator included

struct ServiceListEntry {
    char key[2];
    char stopName[kServiceNameCapacity];   // STOP value, "" when none
    char startName[kServiceNameCapacity];  // START value, "" when none
};

// Reads the STOP and START values of key keyCode from the list at listPath (a full path).
// False when both are empty: the list ends there.
bool ReadServiceListEntry(const char* listPath, unsigned int keyCode, ServiceListEntry& entry);

#endif
