// ScanServiceList: works through the STOP and START sections of the service list.
#ifndef ZSTARTUP_LAUNCHER_SCANSERVICELIST_H
#define ZSTARTUP_LAUNCHER_SCANSERVICELIST_H

// Reads keys "0", "1", ... in character-code order (after "9" come ":", ";" and so on). Each
// key is one entry: the STOP value is stopped, then the START value started, each with a 5 s
// wait and a success or error trace line. The first key with both values empty ends the scan;
// so does the last one-character key. A value longer than 256 characters names no service: it
// gets the error line with its first 256 characters, and nothing is stopped or started for it.
void ScanServiceList(const char* listPath);

#endif
