#include "lowtracessupport/logfile.h"

namespace {

const DWORD kLongestPauseMs = 64;

bool HeldByAnother(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

}  // namespace

DWORD OpenLogFile(ZFile& file, DWORD disposition)
{
    file.Init(kLogAccess, kLogShareMode, FILE_ATTRIBUTE_NORMAL);
    const DWORD start = GetTickCount();
    DWORD pause = 1;
    for (;;) {
        const DWORD error = file.Open(disposition);
        const DWORD waited = GetTickCount() - start;
        if (!HeldByAnother(error) || waited >= kLogWaitMs) return error;
        Sleep(pause < kLogWaitMs - waited ? pause : kLogWaitMs - waited);
        if (pause < kLongestPauseMs) pause *= 2;
    }
}
