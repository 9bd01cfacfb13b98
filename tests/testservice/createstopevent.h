// CreateStopEvent: the event by which a stopping service announces that it has finished.
#ifndef ZSTARTUP_TESTSERVICE_CREATESTOPEVENT_H
#define ZSTARTUP_TESTSERVICE_CREATESTOPEVENT_H

#include <windows.h>

#include "tests/testservice/serviceoptions.h"

// Creates the manual-reset, non-signalled event <serviceName>.Event (kind Plain) or
// Global\<serviceName>.Event (kind Global), with a descriptor that lets authenticated users
// wait on it; for kind Mutex, a mutex under the plain name. Null for kind None, for a name
// that does not fit, or when creation fails.
HANDLE CreateStopEvent(const char* serviceName, StopEventKind kind);

#endif
