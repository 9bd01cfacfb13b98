#include "launcher/runpaths.h"

#include <windows.h>

#include "lowtracessupport/modulepathwithsuffix.h"

static const char kServiceListName[] = "Services.ini";

// Cuts path at its last backslash, keeping the backslash of a drive root. False when there is
// no backslash.
static bool CutToFolder(char* path)
{
    char* lastBackslash = NULL;
    for (char* p = path; *p != '\0'; ++p) {
        if (*p == '\\') lastBackslash = p;
    }
    if (lastBackslash == NULL) return false;
    const bool driveRoot = lastBackslash - path == 2 && path[1] == ':';
    lastBackslash[driveRoot ? 1 : 0] = '\0';
    return true;
}

// directory + "\Services.ini" into list (capacity bytes); the empty text when it does not fit.
static void JoinServiceListPath(const char* directory, char* list, unsigned int capacity)
{
    const unsigned int length = lstrlenA(directory);
    const bool hasSeparator = length > 0 && directory[length - 1] == '\\';
    const unsigned int needed = length + (hasSeparator ? 0 : 1) + sizeof kServiceListName;
    if (needed > capacity) {
        list[0] = '\0';
        return;
    }
    lstrcpyA(list, directory);
    if (!hasSeparator) lstrcatA(list, "\\");
    lstrcatA(list, kServiceListName);
}

void DeriveRunPaths(RunPaths& paths)
{
    if (ModulePathWithSuffix(paths.batch, sizeof paths.batch, ".bat")) {
        lstrcpyA(paths.directory, paths.batch);
        if (CutToFolder(paths.directory)) {
            JoinServiceListPath(paths.directory, paths.serviceList, sizeof paths.serviceList);
            return;
        }
    }
    lstrcpyA(paths.batch, "zStartup.bat");
    paths.directory[0] = '\0';
    lstrcpyA(paths.serviceList, ".\\Services.ini");
}
