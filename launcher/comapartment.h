// ComApartment: a single-threaded COM apartment on this thread for as long as the object lives,
// as the shell asks of its callers.
#ifndef ZSTARTUP_LAUNCHER_COMAPARTMENT_H
#define ZSTARTUP_LAUNCHER_COMAPARTMENT_H

#include <windows.h>

class ComApartment {
public:
    // Loads ole32 (a known DLL: always the system's own) and enters an apartment-threaded one
    // with OLE1 DDE off. ole32 is loaded here rather than imported: an import would load it, and
    // what it pulls in, at every start, also when there is no batch file to open. When it
    // cannot be loaded or entered, the shell call goes ahead without.
    ComApartment();
    // Leaves the apartment if it was entered, and lets ole32 go.
    ~ComApartment();

    ComApartment(const ComApartment&) = delete;             // owns a module and an apartment
    ComApartment& operator=(const ComApartment&) = delete;  // owns a module and an apartment

private:
    HMODULE ole32;
    bool entered;
};

#endif
