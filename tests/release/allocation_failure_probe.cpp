// Runs the foundation classes out of memory in a program linked like the shipped ones (static
// runtime, section garbage collection, the quiet terminate handler). Its command line:
//   caught    catches the std::bad_alloc a ZString raises, prints "caught std::bad_alloc",
//             exits 0
//   uncaught  lets it go: the process must end, with the terminate handler's status 3
#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

#include "foundation/zstring.h"

namespace {

// Heap blocks the heap cannot give for long: a 32-bit process fails at the first, a 64-bit one
// once its address space (bounded by the test) is taken. The blocks stay taken.
void ExhaustHeap()
{
    for (;;) (new ZString())->Allocate(INT_MAX);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    if (std::strcmp(commandLine, "uncaught") == 0) ExhaustHeap();
    try {
        ExhaustHeap();
    } catch (const std::bad_alloc&) {
        std::puts("caught std::bad_alloc");
        return 0;
    }
    return 1;
}
