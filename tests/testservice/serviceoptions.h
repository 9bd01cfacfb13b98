// ServiceOptions: the behaviour of one test service, read from the arguments of its
// binary path (main's argv, not ServiceMain's).
//
//   --start-delay=<ms>|never   time spent START_PENDING before RUNNING (default 0);
//                              never: stays START_PENDING until the process is killed
//   --exit-at-start            reports STOPPED (with an error exit code) as soon as started
//   --event=plain|global|mutex creates <name>.Event or Global\<name>.Event at start; mutex
//                              holds a mutex under the plain name instead, so the name exists
//                              but opening it as an event fails, as it does on Windows for an
//                              event whose descriptor keeps the launcher out
//   --event-rights=synchronize the event lets authenticated users only wait on it (SYNCHRONIZE),
//                              as the README once advised, instead of SYNCHRONIZE and
//                              READ_CONTROL: the launcher cannot read its owner
//   --event-rights=none        the event lets other accounts do nothing with it, as a default
//                              descriptor does on Windows: the launcher cannot open it
//   --event-rights=guide-without-owner
//                              the guide's descriptor, naming no owner: Windows makes the
//                              service token's default owner the event's (Wine makes none)
//   --event-without-descriptor creates the event without a security descriptor: under Wine
//                              it then has no owner at all
//   --keep-existing-event      when the event exists already (another handle kept it alive),
//                              uses it as it is instead of resetting it
//   --signal-after=<ms>|never  on stop, time before the event is signalled (default 0);
//                              never: reports STOPPED without signalling
//   --stopped-after=<ms>|never on stop, time between signalling the event and reporting
//                              STOPPED (at least, and by default, 100 ms): the window in
//                              which a restart meets a service that announced its stop but
//                              is still stop-pending; never: stays STOP_PENDING until the
//                              process is killed
//   --stop-handler-blocks=<ms>|never
//                              on stop, reports STOP_PENDING and only then keeps the control
//                              handler from returning for that long, as a handler that does
//                              its clean-up itself would: the stop request waits for it
//   --refuse-stop              does not accept the stop control
//   --die-on-stop              on stop, reports STOP_PENDING and ends the process shortly
//                              after, without signalling or reporting STOPPED
#ifndef ZSTARTUP_TESTSERVICE_SERVICEOPTIONS_H
#define ZSTARTUP_TESTSERVICE_SERVICEOPTIONS_H

#include <windows.h>

enum class StopEventKind { None, Plain, Global, Mutex };
enum class StopEventRights { Guide, GuideWithoutOwner, SynchronizeOnly, Nobody, NoDescriptor };

struct ServiceOptions {
    DWORD startDelayMs = 0;  // INFINITE: never reaches RUNNING
    bool exitAtStart = false;
    StopEventKind event = StopEventKind::None;
    StopEventRights eventRights = StopEventRights::Guide;
    bool keepExistingEvent = false;
    DWORD signalAfterMs = 0;    // INFINITE: never signals
    DWORD stoppedAfterMs = 0;   // INFINITE: never reports STOPPED
    DWORD handlerBlocksMs = 0;  // INFINITE: the stop control's handler never returns
    bool refuseStop = false;
    bool dieOnStop = false;
};

// Fills options from argv[1..argc-1]; false (options partly filled) on an unknown argument.
bool ParseServiceOptions(int argc, char** argv, ServiceOptions* options);

#endif
