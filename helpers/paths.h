// Folders of paths, by one rule: a root keeps its backslash (C:\, \\server\share\), since
// "C:" alone would mean the drive's current folder; other folders have none at their end.
#ifndef ZSTARTUP_HELPERS_PATHS_H
#define ZSTARTUP_HELPERS_PATHS_H

#include <string>

// A drive root (C: or C:\) or a share root (\\server\share, with or without the last
// backslash). Separators are found character by character, as the ANSI code page has them.
bool IsRoot(const std::string& path);

// The folder of path (ANSI): C:\Show\zStartup.exe gives C:\Show, C:\zStartup.exe gives C:\,
// \\server\share\Show gives \\server\share\. "" when path has no backslash.
std::string FolderOf(const std::string& path);

// name in the folder of path: C:\Show\zStartup.exe and zStartup.bat give C:\Show\zStartup.bat.
// "" when path has no backslash.
std::wstring FileBeside(const std::wstring& path, const std::wstring& name);

#endif
