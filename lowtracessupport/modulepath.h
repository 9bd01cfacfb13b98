// The running executable's own path, and paths in the ANSI code page that never name another
// file than the real one.
#ifndef ZSTARTUP_LOWTRACESSUPPORT_MODULEPATH_H
#define ZSTARTUP_LOWTRACESSUPPORT_MODULEPATH_H

#include <wchar.h>

// Characters of a UTF-16 path buffer: up to 1023 bytes of ANSI text come from at most twice as
// many UTF-16 units (surrogate pairs), so a path that fits the callers' buffers fits whole.
const unsigned int kWideCapacity = 2048;

enum class PathReading {
    kRead,              // the whole path, exactly
    kUnavailable,       // the platform gave no path, or it does not fit the buffer
    kNotRepresentable,  // a character has no exact form in the ANSI code page
};

// Converts a UTF-16 path to the process's ANSI code page into path (capacity bytes,
// terminator included), as ToAnsiText does. kNotRepresentable when a character has no exact
// form, kUnavailable when the result does not fit; path then holds the empty text.
PathReading AnsiPathOf(const wchar_t* widePath, char* path, unsigned int capacity);

// UTF-16 units of the longest path Windows can name, terminator included.
const unsigned int kLongestPath = 32768;

// The running executable's full path (GetModuleFileNameW): true. False, with path empty, when
// the platform gives none. The UTF-16 path reaches the executable's folder whatever its name;
// GetModuleFileNameA puts '?' (or a best-fit look-alike) in place of characters the code page
// lacks, which names another folder, or none.
bool ReadModulePath(wchar_t (&path)[kLongestPath]);

#endif
