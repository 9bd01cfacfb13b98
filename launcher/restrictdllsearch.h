// RestrictDllSearch: keeps later DLL loads out of the executable's folder and the path.
#ifndef ZSTARTUP_LAUNCHER_RESTRICTDLLSEARCH_H
#define ZSTARTUP_LAUNCHER_RESTRICTDLLSEARCH_H

// Limits the default DLL search of this process to the system directory, so that a DLL
// planted beside the executable or in the working directory is never loaded (the shell loads
// extensions when it opens the batch file). Does nothing where the platform lacks
// SetDefaultDllDirectories; it is looked up at run time so the program still starts there.
void RestrictDllSearch();

#endif
