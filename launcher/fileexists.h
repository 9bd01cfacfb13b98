// FileExists: whether a path names an existing file.
#ifndef ZSTARTUP_LAUNCHER_FILEEXISTS_H
#define ZSTARTUP_LAUNCHER_FILEEXISTS_H

// True only when the path's attributes can be read and it is not a directory. No wildcard
// matching takes place.
bool FileExists(const wchar_t* path);

#endif
