// ScanServiceList: works through the STOP and START sections of the service list.
#ifndef ZSTARTUP_LAUNCHER_SCANSERVICELIST_H
#define ZSTARTUP_LAUNCHER_SCANSERVICELIST_H

// Reads keys "0", "1", ... in character-code order (after "9" come ":", ";" and so on) from
// the list at listPath (held by the caller: HeldServiceList). Each key is one entry: the STOP
// value is stopped, then the START value started, each with a 5 s wait and a success or error
// trace line. The first key with both values empty ends the scan; so does the last
// one-character key. A value that names no service acts on none and gets only the error line:
// one longer than 256 characters (shown by its first 256), or one with a character the ANSI
// code page cannot hold exactly (shown with '?' for it). A value the profile reader could not
// read because another handle held the list ends the scan with "[zStartup] Error reading
// service list: error <n>".
void ScanServiceList(const wchar_t* listPath);

#endif
