#include "runrules/servicelistentry.h"

#include <windows.h>

bool ReadServiceListEntry(const char* listPath, unsigned int keyCode, ServiceListEntry& entry)
{
    entry.key[0] = static_cast<char>(keyCode);
    entry.key[1] = '\0';
    // Both names are read before either service is touched.
    GetPrivateProfileStringA("STOP", entry.key, "", entry.stopName, sizeof entry.stopName, listPath);
    GetPrivateProfileStringA("START", entry.key, "", entry.startName, sizeof entry.startName, listPath);
    return entry.stopName[0] != '\0' || entry.startName[0] != '\0';
}
