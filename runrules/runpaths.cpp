#include "runrules/runpaths.h"

#include <windows.h>

#include "lowtracessupport/pathparts.h"

namespace {

const char kServiceListName[] = "Services.ini";

// directory + "\Services.ini" into list (capacity bytes); false when it does not fit.
bool JoinServiceListPath(char* directory, char* list, unsigned int capacity)
{
    const unsigned int length = lstrlenA(directory);
    // A trail byte 0x5C ends a folder such as 表 without ending it in a separator.
    const bool hasSeparator = length > 0 && LastSeparator(directory) == directory + length - 1;
    const unsigned int needed = length + (hasSeparator ? 0 : 1) + sizeof kServiceListName;
    if (needed > capacity) return false;
    lstrcpyA(list, directory);
    if (!hasSeparator) lstrcatA(list, "\\");
    lstrcatA(list, kServiceListName);
    return true;
}

bool DeriveFromExecutable(const char* exePath, RunPaths& paths)
{
    if (lstrlenA(exePath) >= static_cast<int>(sizeof paths.batch)) return false;
    lstrcpyA(paths.batch, exePath);
    if (!ReplaceExtension(paths.batch, sizeof paths.batch, ".bat")) return false;
    lstrcpyA(paths.directory, paths.batch);
    if (!CutToFolder(paths.directory)) return false;
    if (!JoinServiceListPath(paths.directory, paths.serviceList, sizeof paths.serviceList)) {
        paths.serviceList[0] = '\0';
        paths.listProblem = ListPathProblem::kTooLong;
    }
    return true;
}

}  // namespace

void DeriveRunPaths(PathReading reading, const char* exePath, RunPaths& paths)
{
    paths.listProblem = ListPathProblem::kNone;
    if (reading == PathReading::kRead && DeriveFromExecutable(exePath, paths)) return;
    lstrcpyA(paths.batch, "zStartup.bat");
    paths.directory[0] = '\0';
    lstrcpyA(paths.serviceList, ".\\Services.ini");
    if (reading == PathReading::kNotRepresentable) paths.listProblem = ListPathProblem::kNotRepresentable;
}
