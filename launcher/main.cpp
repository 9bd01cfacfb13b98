// zStartup: stops and starts the services listed in Services.ini beside it, opens the batch
// file of its own base name, and logs each step. No window, no console, no arguments read.
#include <windows.h>

#include <cstdio>

#include "launcher/restrictdllsearch.h"
#include "launcher/runsequence.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RestrictDllSearch();
    const int status = RunSequence();
    std::fflush(stdout);
    return status;
}
