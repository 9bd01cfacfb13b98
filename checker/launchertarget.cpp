#include "checker/launchertarget.h"

#include <windows.h>

#include <string>

#include "helpers/paths.h"
#include "helpers/text.h"

namespace {

std::wstring LauncherBesideThisProgram()
{
    wchar_t self[kWideCapacity];
    const DWORD length = GetModuleFileNameW(NULL, self, kWideCapacity);
    return LauncherBeside(self, length, kWideCapacity);
}

}  // namespace

std::wstring FullPathOf(const std::wstring& path)
{
    wchar_t full[kWideCapacity];
    const DWORD length = GetFullPathNameW(path.c_str(), kWideCapacity, full, NULL);
    return length == 0 || length >= kWideCapacity ? path : std::wstring(full, length);
}

std::wstring LauncherBeside(const wchar_t* self, DWORD length, DWORD capacity)
{
    // A cut path's folder, or "" + "\\zStartup.exe", would name another launcher: the current
    // drive's root's, say.
    if (length == 0 || length >= capacity) return std::wstring();
    return FileBeside(std::wstring(self, length), L"zStartup.exe");
}

bool ResolveLauncher(const wchar_t* argument, LauncherTarget& target, std::string& why)
{
    const std::wstring beside = argument != NULL ? std::wstring() : LauncherBesideThisProgram();
    if (argument == NULL && beside.empty()) {
        target.displayPath = "zStartup.exe";
        why = "cannot read this program's own path (longer than " + std::to_string(kWideCapacity - 1) +
              " characters?), so cannot find zStartup.exe beside it; give the launcher's path";
        return false;
    }
    const std::wstring wide = FullPathOf(argument != NULL ? argument : beside);
    target.widePath = wide;
    target.displayPath = Utf8Of(wide);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        why = "no launcher at " + target.displayPath;
        return false;
    }
    target.reading = AnsiPathOf(wide.c_str(), target.path, sizeof target.path);
    DeriveRunPaths(target.reading, target.path, target.paths);
    LogPathOf(target.reading == PathReading::kRead ? target.path : NULL, target.logPath);
    return true;
}

bool LogsInItsCurrentFolder(const LauncherTarget& target)
{
    char named[kLogPathCapacity];
    LogPathOf(static_cast<const char*>(NULL), named);
    return lstrcmpA(target.logPath, named) == 0;
}

std::string LogFullPath(const LauncherTarget& target)
{
    if (LogsInItsCurrentFolder(target)) return target.logPath;
    char full[MAX_PATH * 4];
    const DWORD length = GetFullPathNameA(target.logPath, sizeof full, full, NULL);
    return length == 0 || length >= sizeof full ? std::string(target.logPath) : std::string(full, length);
}
