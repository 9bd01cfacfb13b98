#include "launcher/restrictdllsearch.h"

#include <windows.h>

void RestrictDllSearch()
{
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
    // kernel32 is always loaded: no search takes place here.
    const FARPROC address = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (address == NULL) return;
    const SetDefaultDllDirectoriesFunction setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void (*)()>(address));
    setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
