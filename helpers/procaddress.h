// ProcAddress: a function of a DLL loaded at run time, with its real type.
#ifndef ZSTARTUP_HELPERS_PROCADDRESS_H
#define ZSTARTUP_HELPERS_PROCADDRESS_H

#include <windows.h>

// The function module exports as name, as Function (a pointer to the function's real type);
// null when module exports no such name, or is null.
template <typename Function>
Function ProcAddress(HMODULE module, const char* name)
{
    if (module == NULL) return NULL;
    // Cast through the generic function type: FARPROC's declared signature is not the real one.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

#endif
