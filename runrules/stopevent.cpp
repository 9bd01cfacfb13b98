#include "runrules/stopevent.h"

namespace {

const char kPlainFormat[] = "%s.Event";
const char kGlobalFormat[] = "Global\\%s.Event";

bool NotFound(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

StopEvent::StopEvent(const char* serviceName)
    : handle(NULL), state(StopEventState::kAbsent), global(false), error(0)
{
    // Service names are at most 256 characters; a longer text cannot name an event of one.
    if (lstrlenA(serviceName) > 256) return;
    if (TryOpen(kPlainFormat, serviceName, false)) return;
    TryOpen(kGlobalFormat, serviceName, true);
}

StopEvent::~StopEvent()
{
    if (handle != NULL) CloseHandle(handle);
}

// True when the event was opened. The first refusal is kept: the plain name refusing the open
// still lets the Global\ name be tried.
bool StopEvent::TryOpen(const char* format, const char* serviceName, bool isGlobal)
{
    char eventName[300];
    wsprintfA(eventName, format, serviceName);
    handle = OpenEventA(SYNCHRONIZE, FALSE, eventName);
    if (handle != NULL) {
        state = StopEventState::kOpened;
        global = isGlobal;
        return true;
    }
    const DWORD openError = GetLastError();
    if (!NotFound(openError) && state == StopEventState::kAbsent) {
        state = StopEventState::kUnopenable;
        global = isGlobal;
        error = openError;
    }
    return false;
}
