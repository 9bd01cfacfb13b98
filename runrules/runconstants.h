// Fixed values of one launcher run: its waits, its tag, and the longest it can take, which the
// checker judges a scheduled task's time limit by.
#ifndef ZSTARTUP_RUNRULES_RUNCONSTANTS_H
#define ZSTARTUP_RUNRULES_RUNCONSTANTS_H

#include <windows.h>

#include "lowtracessupport/logfile.h"
#include "runrules/servicelistentry.h"

const DWORD kServiceTimeout = 5000;         // ms, for each stop and each start
const DWORD kPollInterval = 200;            // ms, sleep before each status query while starting
const DWORD kStoppingPollInterval = 50;     // ms, between status queries while a service stops
const DWORD kNoTimeout = 0xFFFFFFFF;        // wait without limit
const DWORD kTimeoutResult = WAIT_TIMEOUT;  // 258: a service operation gave up waiting
const char kLogTag[] = "zStartup";          // every trace line's tag, whatever the file name

// How long the service manager may take to answer a request before the launcher's own wait
// begins. A stop request returns only when the service's control handler does, which Windows
// allows 30 s (HandlerEx); a start request only when the service's program has connected to
// the manager, within ServicesPipeTimeout (30 s unless an administrator raised it).
const DWORD kServiceManagerAnswerMs = 30000;

// The entries of a list that Windows reads whole: keys '0' to ':'; ';' begins a comment line.
const DWORD kMostListEntries = ':' - kFirstListKey + 1;

// A stop: the manager's answer, then the wait, which may end one state query late.
constexpr DWORD LongestStopMs() { return kServiceManagerAnswerMs + kServiceTimeout + kStoppingPollInterval; }

// A start: the manager's answer, then the wait, in which a service still stopping is waited
// for (one stopping query late at most) before the start poll (one poll late at most).
constexpr DWORD LongestStartMs()
{
    return kServiceManagerAnswerMs + kServiceTimeout + kStoppingPollInterval + kPollInterval;
}

// The longest a run can take, in seconds rounded up: every entry stops and starts a service
// that takes each answer and each wait whole, and the log's waits spend their whole budget.
// Sleeps that round up to the system timer's tick are not counted.
constexpr DWORD LongestRunSeconds()
{
    return (kMostListEntries * (LongestStopMs() + LongestStartMs()) + kLogWaitMs + 999) / 1000;
}

#endif
