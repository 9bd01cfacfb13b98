#include "launcher/comapartment.h"

#include <objbase.h>

namespace {

typedef HRESULT(WINAPI* CoInitializeExFunction)(void*, DWORD);
typedef void(WINAPI* CoUninitializeFunction)();

// Cast through the generic function type: FARPROC's declared signature is not the real one.
template <typename Function>
Function Lookup(HMODULE module, const char* name)
{
    const FARPROC address = GetProcAddress(module, name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

}  // namespace

ComApartment::ComApartment() : ole32(LoadLibraryA("ole32.dll")), entered(false)
{
    if (ole32 == NULL) return;
    const CoInitializeExFunction initialize = Lookup<CoInitializeExFunction>(ole32, "CoInitializeEx");
    entered = initialize != NULL && SUCCEEDED(initialize(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

ComApartment::~ComApartment()
{
    if (entered) {
        const CoUninitializeFunction uninitialize = Lookup<CoUninitializeFunction>(ole32, "CoUninitialize");
        if (uninitialize != NULL) uninitialize();
    }
    if (ole32 != NULL) FreeLibrary(ole32);
}
