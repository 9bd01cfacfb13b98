#include "lowtracessupport/logpath.h"

#include <windows.h>

#include "lowtracessupport/pathparts.h"

void LogPathOf(const char* exePath, char (&logPath)[kLogPathCapacity])
{
    if (exePath != NULL && lstrlenA(exePath) < static_cast<int>(kLogPathCapacity)) {
        lstrcpyA(logPath, exePath);
        if (ReplaceExtension(logPath, kLogPathCapacity, "_LT.log")) return;
    }
    lstrcpyA(logPath, "default_LT.log");
}
