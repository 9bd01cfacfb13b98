// Separators and extensions of paths. In the ANSI code page they are found character by
// character: in the double-byte code pages (932, 936, 949, 950) the second byte of a character
// can be 0x5C, the backslash, as in the kanji 表 (0x95 0x5C). UTF-16 has no such bytes.
#ifndef ZSTARTUP_LOWTRACESSUPPORT_PATHPARTS_H
#define ZSTARTUP_LOWTRACESSUPPORT_PATHPARTS_H

// The last backslash of path that is a character of its own; null when there is none.
char* LastSeparator(char* path);

// Cuts path at its last backslash, keeping the backslash of a drive root (C:\): "C:" alone
// would mean the drive's current directory. False, with path unchanged, when there is none.
bool CutToFolder(char* path);
bool CutToFolder(wchar_t* path);

// Replaces the file name's extension (from its last '.') by suffix, or appends suffix when the
// file name has none: C:\Show\zStartup.exe with ".bat" gives C:\Show\zStartup.bat, and
// C:\My.Tools\zStartup gives C:\My.Tools\zStartup.bat. False, with path unchanged, when the
// result would not fit capacity units (terminator included): a cut path names another file.
bool ReplaceExtension(wchar_t* path, unsigned int capacity, const wchar_t* suffix);

#endif
