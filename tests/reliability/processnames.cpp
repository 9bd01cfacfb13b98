#include "tests/reliability/processnames.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>

namespace {

bool StartedAndEndedByWine(const std::string& name)
{
    return lstrcmpiA(name.c_str(), "explorer.exe") == 0 || lstrcmpiA(name.c_str(), "rpcss.exe") == 0;
}

}  // namespace

std::vector<std::string> ProcessNames()
{
    std::vector<std::string> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return names;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (!StartedAndEndedByWine(entry.szExeFile)) names.push_back(entry.szExeFile);
    }
    CloseHandle(snapshot);
    std::sort(names.begin(), names.end());
    return names;
}
