// Calls TraceMessage once per argument pair: <destination code> <text>. The pairs "hold <file>"
// and "release -" open that file sharing nothing, as another program holding the log would,
// and close it again; a hold the system refuses prints "[probe] hold refused: <error>".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lowtracessupport/tracemessage.h"

int main(int argc, char** argv)
{
    HANDLE held = INVALID_HANDLE_VALUE;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "hold") == 0) {
            held = CreateFileA(argv[i + 1], GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (held == INVALID_HANDLE_VALUE) std::printf("[probe] hold refused: %lu\n", GetLastError());
        } else if (std::strcmp(argv[i], "release") == 0) {
            if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
            held = INVALID_HANDLE_VALUE;
        } else {
            TraceMessage(atoi(argv[i]), "%s", argv[i + 1]);
        }
    }
    return 0;
}
