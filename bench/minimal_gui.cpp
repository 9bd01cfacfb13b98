// A minimal C++ GUI-subsystem program doing what every program of the toolchain's C++ runtime
// brings in: a heap array from new[] (which throws std::bad_alloc on failure) and one line of
// printf. The baseline of the launcher's size and start-up budgets; scripts/budgets.sh builds it
// with the launcher's compiler and the toolchain's own runtime (no replaced handlers).
#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    const char greeting[] = "minimal program";
    // Sized at run time, so that the allocation stays.
    char* text = new char[std::strlen(commandLine) + sizeof greeting];
    std::strcpy(text, greeting);
    std::printf("%s\n", text);
    delete[] text;
    return 0;
}
