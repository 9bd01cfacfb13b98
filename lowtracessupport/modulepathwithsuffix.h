// The running executable's full path with its file name's extension replaced by a suffix:
// C:\Show\zStartup.exe with ".bat" gives C:\Show\zStartup.bat. Only the file name is searched
// for the extension, so C:\My.Tools\zStartup (no extension) gives C:\My.Tools\zStartup.bat.
#ifndef ZSTARTUP_LOWTRACESSUPPORT_MODULEPATHWITHSUFFIX_H
#define ZSTARTUP_LOWTRACESSUPPORT_MODULEPATHWITHSUFFIX_H

// Writes the result into path (capacity bytes, terminator included) and returns true. Returns
// false, with path holding the empty text, when the executable's path cannot be read whole
// into path or the result does not fit: a cut path would name some other file. capacity must
// be at least 1.
bool ModulePathWithSuffix(char* path, unsigned int capacity, const char* suffix);

#endif
