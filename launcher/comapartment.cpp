#include "launcher/comapartment.h"

#include <objbase.h>

#include "helpers/procaddress.h"

namespace {

typedef HRESULT(WINAPI* CoInitializeExFunction)(void*, DWORD);
typedef void(WINAPI* CoUninitializeFunction)();

}  // namespace

ComApartment::ComApartment() : ole32(LoadLibraryA("ole32.dll")), entered(false)
{
    if (ole32 == NULL) return;
    const CoInitializeExFunction initialize = ProcAddress<CoInitializeExFunction>(ole32, "CoInitializeEx");
    entered = initialize != NULL && SUCCEEDED(initialize(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

ComApartment::~ComApartment()
{
    if (entered) {
        const CoUninitializeFunction uninitialize = ProcAddress<CoUninitializeFunction>(ole32, "CoUninitialize");
        if (uninitialize != NULL) uninitialize();
    }
    if (ole32 != NULL) FreeLibrary(ole32);
}
