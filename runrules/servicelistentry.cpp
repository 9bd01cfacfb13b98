#include "runrules/servicelistentry.h"

#include <windows.h>

namespace {

// The profile reader counts a value's quotes against the buffer before it removes them, and a
// value it cuts may lose one more character to the quote removal: a quoted 257-character value
// comes back as 256 characters from 258 bytes. With this much room every value of a name's
// length comes back whole, and every value cut is still longer than any name.
const DWORD kValueCapacity = 1024;

// Copies at most kMaxServiceNameLength bytes of value into name, stopping before a
// double-byte character that would not fit whole. True when value was longer.
bool CopyName(const char* value, char (&name)[kServiceNameCapacity])
{
    const char* end = value;
    for (const char* next = value; *end != '\0'; end = next) {
        next = CharNextA(end);
        if (next - value > kMaxServiceNameLength) break;
    }
    const int length = static_cast<int>(end - value);
    lstrcpynA(name, value, length + 1);
    return value[length] != '\0';
}

bool ReadName(const char* section, const char* key, const char* listPath, char (&name)[kServiceNameCapacity])
{
    char value[kValueCapacity];
    GetPrivateProfileStringA(section, key, "", value, sizeof value, listPath);
    return CopyName(value, name);
}

}  // namespace

bool ReadServiceListEntry(const char* listPath, unsigned int keyCode, ServiceListEntry& entry)
{
    entry.key[0] = static_cast<char>(keyCode);
    entry.key[1] = '\0';
    // Both names are read before either service is touched.
    entry.stopTooLong = ReadName("STOP", entry.key, listPath, entry.stopName);
    entry.startTooLong = ReadName("START", entry.key, listPath, entry.startName);
    return entry.stopName[0] != '\0' || entry.startName[0] != '\0';
}
