// StopEvent: the named event by which a stopping service announces that it has finished.
#ifndef ZSTARTUP_RUNRULES_STOPEVENT_H
#define ZSTARTUP_RUNRULES_STOPEVENT_H

#include <windows.h>

enum class StopEventState {
    kOpened,      // open with the right to wait on it
    kAbsent,      // neither name exists
    kUnopenable,  // a name exists but cannot be opened: access denied, or another kind of object
};

class StopEvent {
public:
    // Opens "<serviceName>.Event", else "Global\<serviceName>.Event": a service in session 0
    // creates a plain name in the global namespace, which a program in a user's session
    // reaches only through the prefix. Only "not found" under both names means no event.
    explicit StopEvent(const char* serviceName);
    ~StopEvent();

    StopEventState State() const { return state; }
    // The opened event; null unless kOpened.
    HANDLE Handle() const { return handle; }
    // Whether the name that was opened, or refused, is the Global\ one.
    bool Global() const { return global; }
    // The open's error for kUnopenable (5: access denied, 6: the name is not an event).
    DWORD Error() const { return error; }

    StopEvent(const StopEvent&) = delete;             // owns a handle
    StopEvent& operator=(const StopEvent&) = delete;  // owns a handle

private:
    bool TryOpen(const char* format, const char* serviceName, bool isGlobal);

    HANDLE handle;
    StopEventState state;
    bool global;
    DWORD error;
};

#endif
