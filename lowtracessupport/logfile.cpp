#include "lowtracessupport/logfile.h"

namespace {

const DWORD kLongestPauseMs = 64;

}  // namespace

bool LogHeldByAnother(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

LogWait::LogWait(DWORD& budgetMs) : budgetMs(budgetMs), initialBudgetMs(budgetMs), start(GetTickCount()), pauseMs(1) {}

bool LogWait::PauseAfter(DWORD error)
{
    if (!LogHeldByAnother(error) || budgetMs == 0) return false;
    Sleep(pauseMs < budgetMs ? pauseMs : budgetMs);
    if (pauseMs < kLongestPauseMs) pauseMs *= 2;
    const DWORD waited = GetTickCount() - start;
    budgetMs = waited < initialBudgetMs ? initialBudgetMs - waited : 0;
    return true;
}

DWORD OpenLogFile(ZFile& file, DWORD disposition)
{
    file.Init(kLogAccess, kLogShareMode, FILE_ATTRIBUTE_NORMAL);
    DWORD budgetMs = kLogWaitMs;
    LogWait wait(budgetMs);
    for (;;) {
        const DWORD error = file.Open(disposition);
        if (!wait.PauseAfter(error)) return error;
    }
}
