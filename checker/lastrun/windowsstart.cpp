#include "checker/lastrun/windowsstart.h"

#include <winevt.h>

#include "helpers/procaddress.h"
#include "helpers/uniqueany.h"

namespace {

const ULONGLONG kTicksPerMs = 10000;

FILETIME FileTimeOf(ULONGLONG ticks) { return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)}; }

// EvtClose of the wevtapi.dll this file loaded: a handle of it exists only while the module is
// loaded, and the owners below do not outlive the module's.
BOOL WINAPI CloseEventLogHandle(EVT_HANDLE handle)
{
    const auto close = ProcAddress<decltype(&EvtClose)>(GetModuleHandleW(L"wevtapi.dll"), "EvtClose");
    return close != NULL && close(handle);
}

using UniqueEventLogHandle = UniqueAny<EVT_HANDLE, CloseEventLogHandle>;

// Cold boots and Fast Startup power-ons; the boot types are the provider's own.
const wchar_t kLoaderStarts[] =
    L"*[System[Provider[@Name='Microsoft-Windows-Kernel-Boot'] and EventID=27]"
    L" and EventData[Data[@Name='BootType']<2]]";

// The functions of the Windows Event Log API this file calls, from a wevtapi.dll loaded at run
// time from the system folder only: it is not a known DLL, and an import would be looked up
// beside the checker first.
struct EventLogApi {
    decltype(&EvtQuery) query;
    decltype(&EvtNext) next;
    decltype(&EvtCreateRenderContext) createContext;
    decltype(&EvtRender) render;

    explicit EventLogApi(HMODULE module)
        : query(ProcAddress<decltype(&EvtQuery)>(module, "EvtQuery")),
          next(ProcAddress<decltype(&EvtNext)>(module, "EvtNext")),
          createContext(ProcAddress<decltype(&EvtCreateRenderContext)>(module, "EvtCreateRenderContext")),
          render(ProcAddress<decltype(&EvtRender)>(module, "EvtRender"))
    {
    }

    bool Complete() const { return query != NULL && next != NULL && createContext != NULL && render != NULL; }
};

// The event's time of creation (UTC ticks); 0 when it cannot be read.
ULONGLONG TimeCreated(const EventLogApi& api, EVT_HANDLE event)
{
    LPCWSTR paths[] = {L"Event/System/TimeCreated/@SystemTime"};
    const UniqueEventLogHandle context(api.createContext(1, paths, EvtRenderContextValues));
    if (!context) return 0;
    EVT_VARIANT value = {};
    DWORD used = 0;
    DWORD count = 0;
    const BOOL rendered = api.render(context.Get(), event, EvtRenderEventValues, sizeof value, &value, &used, &count);
    return rendered && count == 1 && value.Type == EvtVarTypeFileTime ? value.FileTimeVal : 0;
}

// The newest loader start's time of creation (UTC ticks); 0 when none can be read.
ULONGLONG NewestLoaderStart()
{
    const UniqueModule module(LoadLibraryExW(L"wevtapi.dll", NULL, LOAD_LIBRARY_SEARCH_SYSTEM32));
    const EventLogApi api(module.Get());
    if (!api.Complete() || ProcAddress<decltype(&EvtClose)>(module.Get(), "EvtClose") == NULL) return 0;
    const UniqueEventLogHandle results(
        api.query(NULL, L"System", kLoaderStarts, EvtQueryChannelPath | EvtQueryReverseDirection));
    if (!results) return 0;
    UniqueEventLogHandle event;
    DWORD returned = 0;
    if (!api.next(results.Get(), 1, event.Put(), INFINITE, 0, &returned) || returned != 1) return 0;
    return TimeCreated(api, event.Get());
}

}  // namespace

ULONGLONG Ticks(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

ULONGLONG LaterStart(ULONGLONG now, ULONGLONG sinceBootMs, ULONGLONG loaderStart)
{
    const ULONGLONG sinceBoot = sinceBootMs * kTicksPerMs;
    const ULONGLONG boot = sinceBoot < now ? now - sinceBoot : 0;
    return loaderStart > boot && loaderStart <= now ? loaderStart : boot;
}

FILETIME WindowsStarted()
{
    const ULONGLONG loaderStart = NewestLoaderStart();
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return FileTimeOf(LaterStart(Ticks(now), GetTickCount64(), loaderStart));
}
