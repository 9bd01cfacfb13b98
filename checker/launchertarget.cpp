#include "checker/launchertarget.h"

#include <windows.h>

namespace {

const DWORD kWideCapacity = 2048;

std::wstring CheckerFolder()
{
    wchar_t self[kWideCapacity];
    const DWORD length = GetModuleFileNameW(NULL, self, kWideCapacity);
    if (length == 0 || length >= kWideCapacity) return std::wstring();
    std::wstring path(self, length);
    return path.substr(0, path.rfind(L'\\'));
}

std::wstring FullPath(const std::wstring& path)
{
    wchar_t full[kWideCapacity];
    const DWORD length = GetFullPathNameW(path.c_str(), kWideCapacity, full, NULL);
    if (length == 0 || length >= kWideCapacity) return path;
    return std::wstring(full, length);
}

}  // namespace

std::string AnsiForDisplay(const std::wstring& wide)
{
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, NULL, 0, NULL, NULL);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &text[0], length, NULL, NULL);
    text.resize(static_cast<size_t>(length) - 1);
    return text;
}

bool ResolveLauncher(const wchar_t* argument, LauncherTarget& target, std::string& why)
{
    const std::wstring wide = FullPath(argument != NULL ? argument : CheckerFolder() + L"\\zStartup.exe");
    target.widePath = wide;
    target.displayPath = AnsiForDisplay(wide);
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

std::string LogFullPath(const LauncherTarget& target)
{
    char full[MAX_PATH * 4];
    const DWORD length = GetFullPathNameA(target.logPath, sizeof full, full, NULL);
    return length == 0 || length >= sizeof full ? std::string(target.logPath) : std::string(full, length);
}
