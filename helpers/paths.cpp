#include "helpers/paths.h"

#include <windows.h>

#include <vector>

#include "lowtracessupport/pathparts.h"

bool IsRoot(const std::string& path)
{
    if (path.size() >= 2 && path[1] == ':') return path.size() == 2 || (path.size() == 3 && path[2] == '\\');
    if (path.compare(0, 2, "\\\\") != 0) return false;
    int inner = 0;
    for (const char* at = path.c_str() + 2; *at != '\0'; at = CharNextA(at)) {
        if (*at == '\\' && at[1] != '\0') ++inner;
    }
    return inner <= 1;
}

std::string FolderOf(const std::string& path)
{
    std::vector<char> folder(path.begin(), path.end());
    folder.push_back('\0');
    if (!CutToFolder(folder.data())) return std::string();
    std::string cut = folder.data();
    // CutToFolder keeps a drive root's backslash; a share root is written the same way.
    if (cut.compare(0, 2, "\\\\") == 0 && IsRoot(cut)) cut += '\\';
    return cut;
}

std::wstring FileBeside(const std::wstring& path, const std::wstring& name)
{
    const size_t separator = path.rfind(L'\\');
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1) + name;
}
