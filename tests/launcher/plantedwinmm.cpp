// A winmm.dll as an attacker would plant it beside the launcher: loading it leaves
// planted_marker.txt beside it. Its timeGetTime works, so a run that loads it goes on.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD WINAPI timeGetTime() { return GetTickCount(); }

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*)
{
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH + 32];
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    char* name = path + length;
    while (name > path && name[-1] != '\\') --name;
    lstrcpyA(name, "planted_marker.txt");
    HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    return TRUE;
}
