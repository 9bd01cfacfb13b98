#include "runrules/runpaths.h"

#include <windows.h>

#include "lowtracessupport/ansitext.h"
#include "lowtracessupport/pathparts.h"

namespace {

const wchar_t kServiceListName[] = L"Services.ini";

// wide into text (both capacity units and bytes): false when either does not fit.
template <unsigned int capacity>
bool FitBoth(const wchar_t* source, wchar_t (&wide)[capacity], char (&text)[capacity])
{
    if (lstrlenW(source) >= static_cast<int>(capacity)) return false;
    lstrcpyW(wide, source);
    return ToAnsiText(wide, text, capacity) != AnsiForm::kTooLong;
}

// directory + "\Services.ini" into the list paths; false when it does not fit.
bool JoinServiceListPath(RunPaths& paths)
{
    wchar_t joined[sizeof paths.wideServiceList / sizeof(wchar_t) + 1];
    const int length = lstrlenW(paths.wideDirectory);
    const bool hasSeparator = length > 0 && paths.wideDirectory[length - 1] == L'\\';
    const int needed = length + (hasSeparator ? 0 : 1) + lstrlenW(kServiceListName);
    if (needed >= static_cast<int>(sizeof joined / sizeof(wchar_t))) return false;
    lstrcpyW(joined, paths.wideDirectory);
    if (!hasSeparator) lstrcatW(joined, L"\\");
    lstrcatW(joined, kServiceListName);
    return FitBoth(joined, paths.wideServiceList, paths.serviceList);
}

void Clear(RunPaths& paths)
{
    paths.wideBatch[0] = paths.wideDirectory[0] = paths.wideServiceList[0] = L'\0';
    paths.batch[0] = paths.directory[0] = paths.serviceList[0] = '\0';
    paths.batchTooLong = false;
    paths.listProblem = ListPathProblem::kNone;
}

void UseCurrentDirectory(RunPaths& paths)
{
    Clear(paths);
    FitBoth(L"zStartup.bat", paths.wideBatch, paths.batch);
    FitBoth(L".\\Services.ini", paths.wideServiceList, paths.serviceList);
}

template <unsigned int capacity>
bool BatchPathOf(const wchar_t* exePath, wchar_t (&batch)[capacity])
{
    if (lstrlenW(exePath) >= static_cast<int>(capacity)) return false;
    lstrcpyW(batch, exePath);
    return ReplaceExtension(batch, capacity, L".bat");
}

void NothingFits(RunPaths& paths)
{
    Clear(paths);
    paths.batchTooLong = true;
    paths.listProblem = ListPathProblem::kTooLong;
}

}  // namespace

void DeriveRunPaths(const wchar_t* exePath, RunPaths& paths)
{
    if (exePath == NULL || wcschr(exePath, L'\\') == NULL) return UseCurrentDirectory(paths);
    Clear(paths);
    wchar_t batch[sizeof paths.wideBatch / sizeof(wchar_t)];
    if (!BatchPathOf(exePath, batch) || !FitBoth(batch, paths.wideBatch, paths.batch)) return NothingFits(paths);
    // The folder is a part of the batch path, so it fits wherever that does.
    CutToFolder(batch);
    FitBoth(batch, paths.wideDirectory, paths.directory);
    if (!JoinServiceListPath(paths)) paths.listProblem = ListPathProblem::kTooLong;
}

void DeriveRunPaths(PathReading reading, const char* exePath, RunPaths& paths)
{
    wchar_t wideExe[sizeof paths.wideBatch / sizeof(wchar_t)];
    if (reading == PathReading::kRead && FromAnsiText(exePath, wideExe, sizeof wideExe / sizeof(wchar_t))) {
        DeriveRunPaths(wideExe, paths);
        return;
    }
    UseCurrentDirectory(paths);
    if (reading == PathReading::kNotRepresentable) paths.listProblem = ListPathProblem::kNotRepresentable;
}
