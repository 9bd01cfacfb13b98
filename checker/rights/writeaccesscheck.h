// CheckWriteAccess: accounts that could change what the elevated launcher runs, or the log
// that --last-run believes.
#ifndef ZSTARTUP_CHECKER_RIGHTS_WRITEACCESSCHECK_H
#define ZSTARTUP_CHECKER_RIGHTS_WRITEACCESSCHECK_H

#include <functional>
#include <string>

#include "checker/launchertarget.h"
#include "checker/report/checkreport.h"
#include "checker/rights/objectfacts.h"

// Nothing unless the launcher's path was read (PathReading::kRead). Otherwise, when an account
// other than SYSTEM, Administrators and TrustedInstaller may change them (any program running
// as it, unelevated, could make the next elevated start run its commands, or forge the log):
// - folder.untrusted-writer: the launcher's folder, and the folder it resolves to through links;
// - folder.renamable: a folder from there up to its root that could be renamed and replaced
//   (see FolderRenamers);
// - file.untrusted-writer, log.untrusted-writer: the launcher, list, batch file or log (not
//   default_LT.log), for accounts the folder does not already let in; one not yet created is
//   judged by the folder's entries for new files (file.new-file-writer, log.new-file-writer).
//   For the log, setting its times (write attributes) counts too;
// - link.found (a note) for each of those folders and files that is a junction, symbolic link
//   or mount point, link.untrusted-writer for accounts that may change or remove the link
//   itself, and link.target-unknown when where it leads cannot be told; the folder a link
//   leads to, the folders above it and a file's target are checked as above;
// - permissions.unreadable for each permission that cannot be read: an error when elevated
//   (an administrator can read any, so another account controls it), else a warning. The
//   checks that do not need it still run;
// - permissions.entry-not-evaluated (a note) for a writer counted through a conditional,
//   callback or object-specific entry.
// Each finding once.
void CheckWriteAccess(const LauncherTarget& target, CheckReport& report);

// The facts of a path; ReadObjectFacts for the file system.
typedef std::function<ObjectFacts(const std::string& path)> ObjectReader;

// CheckWriteAccess on the facts read gives, for a check that runs elevated or not.
void JudgeWriteAccess(const LauncherTarget& target, bool elevated, const ObjectReader& read, CheckReport& report);

#endif
