// ProcessNames: the executable names of every process the Wine server of this prefix knows,
// sorted, so that two snapshots can be compared as multisets.
#ifndef ZSTARTUP_TESTS_RELIABILITY_PROCESSNAMES_H
#define ZSTARTUP_TESTS_RELIABILITY_PROCESSNAMES_H

#include <string>
#include <vector>

// Empty when the snapshot cannot be taken.
std::vector<std::string> ProcessNames();

#endif
