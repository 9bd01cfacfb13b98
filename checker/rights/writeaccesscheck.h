// CheckWriteAccess: accounts that could change what the elevated launcher runs.
#ifndef ZSTARTUP_CHECKER_RIGHTS_WRITEACCESSCHECK_H
#define ZSTARTUP_CHECKER_RIGHTS_WRITEACCESSCHECK_H

#include "checker/launchertarget.h"
#include "checker/report/checkreport.h"

// An error for the launcher's folder, and for the launcher, the list and the batch file where
// they let in an account the folder does not, when an account other than SYSTEM,
// Administrators and TrustedInstaller may change them: any program running as that account,
// unelevated, could then make the next elevated start run its commands. A list or batch file
// not yet created is judged by the entries of the folder that new files inherit. An error too
// for each folder, from the launcher's up to its root, that other accounts could rename and
// replace (see FolderRenamers).
void CheckWriteAccess(const LauncherTarget& target, CheckReport& report);

#endif
