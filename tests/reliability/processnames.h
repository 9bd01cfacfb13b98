// ProcessNames: the executable names of every process the Wine server of this prefix knows,
// sorted, so that two snapshots can be compared as multisets. Wine's desktop (explorer.exe) and
// RPC server (rpcss.exe) are left out: Wine starts them when a program first needs them and
// ends the desktop when it has been idle, whatever the programs under test do, and a fresh
// prefix has not settled yet.
#ifndef ZSTARTUP_TESTS_RELIABILITY_PROCESSNAMES_H
#define ZSTARTUP_TESTS_RELIABILITY_PROCESSNAMES_H

#include <string>
#include <vector>

// Empty when the snapshot cannot be taken.
std::vector<std::string> ProcessNames();

#endif
