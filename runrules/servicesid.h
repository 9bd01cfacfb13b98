// ServiceSidOf: NT SERVICE\<name>, the SID Windows adds to the processes of a service.
#ifndef ZSTARTUP_RUNRULES_SERVICESID_H
#define ZSTARTUP_RUNRULES_SERVICESID_H

#include <windows.h>

// Writes the service SID of serviceName into sid: S-1-5-80 followed by the SHA-1 digest of the
// name, upper-cased and in UTF-16 LE without terminator, read as five little-endian 32-bit
// sub-authorities (the derivation of RtlCreateServiceSid: NT SERVICE\TrustedInstaller is
// S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464). Upper-casing follows the
// system's own table, as the service manager's comparison of names does, so every spelling
// of one name gives one SID. Computed here: nothing is looked up.
//
// True on success; false, sid unchanged, for an empty name, one longer than a service name, or
// when the system's SHA-1 provider cannot be used.
bool ServiceSidOf(const wchar_t* serviceName, BYTE (&sid)[SECURITY_MAX_SID_SIZE]);

#endif
