// zstartup_testservice: one Win32 service program whose behaviour the tests choose through
// the arguments of its binary path (see serviceoptions.h). The tests register it with
// CreateServiceA (own process, demand start) under unique names and delete it afterwards.
//
// Stop-event protocol, as the launcher expects it from any service: at start create a
// manual-reset, non-signalled event named <name>.Event or Global\<name>.Event whose
// descriptor is the SDDL string
//     D:(A;;0x001F0003;;;SY)(A;;0x00120000;;;AU)
// (LocalSystem full access, authenticated users SYNCHRONIZE and READ_CONTROL only), reset it
// when it exists already, and signal it once the clean-up is done, before reporting
// SERVICE_STOPPED: after that report the process may end at once.
#include <windows.h>

#include "tests/testservice/createstopevent.h"
#include "tests/testservice/serviceoptions.h"

namespace {

ServiceOptions g_options;
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
HANDLE g_stopRequested = nullptr;
LONG g_checkPoint = 0;

const DWORD kCheckPointIntervalMs = 500;
// Time for the answer to the stop control to reach the manager before the process dies.
const DWORD kDieDelayMs = 300;
// The same before reporting STOPPED: Wine's service manager ends the process at that report,
// and an answer not yet written back fails the stop request with a broken pipe (109).
// Windows lets the process end by itself.
const DWORD kAnswerGraceMs = 100;

void Report(DWORD state, DWORD waitHintMs = 0, DWORD exitCode = NO_ERROR)
{
    bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
    SERVICE_STATUS status = {};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING && !g_options.refuseStop ? SERVICE_ACCEPT_STOP : 0;
    status.dwWin32ExitCode = exitCode;
    status.dwServiceSpecificExitCode = exitCode == ERROR_SERVICE_SPECIFIC_ERROR ? 1 : 0;
    status.dwCheckPoint = pending ? static_cast<DWORD>(InterlockedIncrement(&g_checkPoint)) : 0;
    status.dwWaitHint = waitHintMs;
    SetServiceStatus(g_statusHandle, &status);
}

// Stays START_PENDING for the chosen delay, reporting progress; never returns for "never".
void StartSlowly()
{
    if (g_options.startDelayMs == INFINITE) {
        // Reported first, as a stuck service would: silence would keep the manager's start
        // request waiting for its own timeout instead.
        Report(SERVICE_START_PENDING, 30000);
        Sleep(INFINITE);
    }
    for (DWORD elapsed = 0; elapsed < g_options.startDelayMs; elapsed += kCheckPointIntervalMs) {
        DWORD left = g_options.startDelayMs - elapsed;
        Report(SERVICE_START_PENDING, left + kCheckPointIntervalMs);
        Sleep(left < kCheckPointIntervalMs ? left : kCheckPointIntervalMs);
    }
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*)
{
    switch (control) {
    case SERVICE_CONTROL_STOP:
        if (g_options.refuseStop) return ERROR_CALL_NOT_IMPLEMENTED;
        Report(SERVICE_STOP_PENDING, g_options.signalAfterMs == INFINITE ? 0 : g_options.signalAfterMs + 1000);
        if (g_options.handlerBlocksMs != 0) Sleep(g_options.handlerBlocksMs);
        SetEvent(g_stopRequested);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, char** argv)
{
    g_statusHandle = RegisterServiceCtrlHandlerExA(argv[0], Handler, nullptr);
    if (g_statusHandle == nullptr) return;
    if (g_options.exitAtStart) {
        Report(SERVICE_STOPPED, 0, ERROR_SERVICE_SPECIFIC_ERROR);
        return;
    }
    HANDLE stopEvent = CreateStopEvent(argv[0], g_options.event, g_options.eventRights, g_options.keepExistingEvent);
    StartSlowly();
    Report(SERVICE_RUNNING);

    WaitForSingleObject(g_stopRequested, INFINITE);
    if (g_options.dieOnStop) {
        Sleep(kDieDelayMs);
        ExitProcess(3);
    }
    if (g_options.signalAfterMs != INFINITE) {
        Sleep(g_options.signalAfterMs);
        if (stopEvent != nullptr && g_options.event != StopEventKind::Mutex) SetEvent(stopEvent);
    }
    if (stopEvent != nullptr) CloseHandle(stopEvent);
    Sleep(g_options.stoppedAfterMs > kAnswerGraceMs ? g_options.stoppedAfterMs : kAnswerGraceMs);
    Report(SERVICE_STOPPED);
}

}  // namespace

int main(int argc, char** argv)
{
    if (!ParseServiceOptions(argc, argv, &g_options)) return 2;
    g_stopRequested = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // An own-process service may leave its name in the table empty.
    char emptyName[] = "";
    SERVICE_TABLE_ENTRYA table[] = {{emptyName, ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
