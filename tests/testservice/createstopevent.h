// CreateStopEvent: the event by which a stopping service announces that it has finished.
#ifndef ZSTARTUP_TESTSERVICE_CREATESTOPEVENT_H
#define ZSTARTUP_TESTSERVICE_CREATESTOPEVENT_H

#include <windows.h>

#include "tests/testservice/serviceoptions.h"

// Creates the manual-reset, non-signalled event <serviceName>.Event (event Plain) or
// Global\<serviceName>.Event (event Global), owned by LocalSystem (for GuideWithoutOwner, by
// whom Windows makes the owner), with the descriptor that rights asks for: by default the
// README's, which lets authenticated users wait on it and read its owner. An event that exists already is reset unless
// keepExisting. For event Mutex, a mutex under the plain name. Null for event None, for a name that does not fit, or
// when creation fails.
HANDLE CreateStopEvent(const char* serviceName, StopEventKind event, StopEventRights rights, bool keepExisting);

#endif
