// Fixed values of one launcher run.
#ifndef ZSTARTUP_LAUNCHER_LAUNCHERCONSTANTS_H
#define ZSTARTUP_LAUNCHER_LAUNCHERCONSTANTS_H

#include <windows.h>

const DWORD kServiceTimeout = 5000;         // ms, for each stop and each start
const DWORD kPollInterval = 200;            // ms, sleep before each status query while starting
const DWORD kStoppingPollInterval = 50;     // ms, between status queries while a service stops
const DWORD kNoTimeout = 0xFFFFFFFF;        // wait without limit
const DWORD kTimeoutResult = WAIT_TIMEOUT;  // 258: a service operation gave up waiting
const char kLogTag[] = "zStartup";          // every trace line's tag, whatever the file name

#endif
