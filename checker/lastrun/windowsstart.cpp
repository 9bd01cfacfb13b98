#include "checker/lastrun/windowsstart.h"

#include <winevt.h>

namespace {

const ULONGLONG kTicksPerMs = 10000;

FILETIME FileTimeOf(ULONGLONG ticks) { return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)}; }

// Cast through the generic function type: FARPROC's declared signature is not the real one.
template <typename Function>
Function Lookup(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The Windows Event Log API, loaded from the system folder only: wevtapi.dll is not a known
// DLL, and an import would be looked up beside the checker first.
class EventLogApi {
public:
    EventLogApi() : module(LoadLibraryExW(L"wevtapi.dll", NULL, LOAD_LIBRARY_SEARCH_SYSTEM32))
    {
        if (module == NULL) return;
        query = Lookup<decltype(&EvtQuery)>(module, "EvtQuery");
        next = Lookup<decltype(&EvtNext)>(module, "EvtNext");
        createContext = Lookup<decltype(&EvtCreateRenderContext)>(module, "EvtCreateRenderContext");
        render = Lookup<decltype(&EvtRender)>(module, "EvtRender");
        close = Lookup<decltype(&EvtClose)>(module, "EvtClose");
    }
    ~EventLogApi()
    {
        if (module != NULL) FreeLibrary(module);
    }
    EventLogApi(const EventLogApi&) = delete;             // owns a module reference
    EventLogApi& operator=(const EventLogApi&) = delete;  // owns a module reference

    // The newest loader start's time of creation (UTC ticks); 0 when none can be read.
    ULONGLONG NewestLoaderStart() const;

private:
    ULONGLONG TimeCreated(EVT_HANDLE event) const;

    HMODULE module;
    decltype(&EvtQuery) query = NULL;
    decltype(&EvtNext) next = NULL;
    decltype(&EvtCreateRenderContext) createContext = NULL;
    decltype(&EvtRender) render = NULL;
    decltype(&EvtClose) close = NULL;
};

// Cold boots and Fast Startup power-ons; the boot types are the provider's own.
const wchar_t kLoaderStarts[] =
    L"*[System[Provider[@Name='Microsoft-Windows-Kernel-Boot'] and EventID=27]"
    L" and EventData[Data[@Name='BootType']<2]]";

ULONGLONG EventLogApi::TimeCreated(EVT_HANDLE event) const
{
    LPCWSTR paths[] = {L"Event/System/TimeCreated/@SystemTime"};
    EVT_HANDLE context = createContext(1, paths, EvtRenderContextValues);
    if (context == NULL) return 0;
    EVT_VARIANT value = {};
    DWORD used = 0;
    DWORD count = 0;
    const BOOL rendered = render(context, event, EvtRenderEventValues, sizeof value, &value, &used, &count);
    close(context);
    return rendered && count == 1 && value.Type == EvtVarTypeFileTime ? value.FileTimeVal : 0;
}

ULONGLONG EventLogApi::NewestLoaderStart() const
{
    if (query == NULL || next == NULL || createContext == NULL || render == NULL || close == NULL) return 0;
    EVT_HANDLE results = query(NULL, L"System", kLoaderStarts, EvtQueryChannelPath | EvtQueryReverseDirection);
    if (results == NULL) return 0;
    EVT_HANDLE event = NULL;
    DWORD returned = 0;
    ULONGLONG created = 0;
    if (next(results, 1, &event, INFINITE, 0, &returned) && returned == 1) {
        created = TimeCreated(event);
        close(event);
    }
    close(results);
    return created;
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
    const ULONGLONG loaderStart = EventLogApi().NewestLoaderStart();
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return FileTimeOf(LaterStart(Ticks(now), GetTickCount64(), loaderStart));
}
