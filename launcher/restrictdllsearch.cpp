#include "launcher/restrictdllsearch.h"

#include <windows.h>

#include "helpers/procaddress.h"

void RestrictDllSearch()
{
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
    // kernel32 is always loaded: no search takes place here.
    const SetDefaultDllDirectoriesFunction setDefaultDllDirectories =
        ProcAddress<SetDefaultDllDirectoriesFunction>(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefaultDllDirectories != NULL) setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
