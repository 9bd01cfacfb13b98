#include "checker/plan/filecheck.h"

#include <windows.h>

#include <string>

#include "foundation/zfile.h"
#include "helpers/filereading.h"
#include "helpers/paths.h"
#include "lowtracessupport/logfile.h"

namespace {

// 0 when this account may open the folder with access, else the error.
DWORD OpenError(const char* folder, DWORD access)
{
    const UniqueFile handle(
        CreateFileA(folder, access, kShareWithEveryone, NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL));
    return handle ? 0 : GetLastError();
}

bool IsFolder(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// 0 when a line could be appended to the log file at path, else the error that would stop it.
// An existing log is opened as the launcher opens it, and closed unwritten.
DWORD AppendError(const char* path)
{
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        const std::string folder = FolderOf(path);
        return OpenError(folder.empty() ? "." : folder.c_str(), FILE_ADD_FILE);
    }
    ZFile log(path);
    return OpenLogFile(log, OPEN_EXISTING);
}

}  // namespace

void CheckBatch(const LauncherTarget& target, CheckReport& report)
{
    if (target.reading != PathReading::kRead) {
        report.Warning("batch.launcher-path-unusable", Utf8Text(target.displayPath),
                       Utf8Text("batch file: the launcher cannot use its own path " + target.displayPath +
                                ", so it opens zStartup.bat in its current folder (at a scheduled start usually "
                                "C:\\Windows\\System32) if there is one there; move the launcher"));
        return;
    }
    const char* batch = target.paths.batch;
    const DWORD attributes = GetFileAttributesA(batch);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        report.Warning("batch.missing", batch,
                       std::string("no batch file ") + batch +
                           ": the launcher logs \"Not found\" and opens nothing; create it, even empty");
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        report.Warning(
            "batch.is-folder", batch,
            std::string(batch) +
                " is a folder, not a batch file: the launcher logs \"Not found\" and opens nothing; remove or "
                "rename the folder");
    } else {
        report.Line(std::string("then: open ") + batch);
    }
}

void CheckLog(const LauncherTarget& target, CheckReport& report)
{
    const std::string log = target.logPath;
    if (LogsInItsCurrentFolder(target)) {
        report.Warning("log.default-path", log,
                       Utf8Text("log: default_LT.log in the launcher's current folder (at a scheduled start usually "
                                "C:\\Windows\\System32), because the launcher's path " +
                                target.displayPath +
                                " is too long for 255 characters or not in the ANSI code page; move the launcher"));
        return;
    }
    report.Note("log.path", log, "log: " + log);
    if (IsFolder(log.c_str())) {
        report.Warning("log.is-folder", log,
                       "log " + log +
                           " is a folder, not a file: the launcher cannot open it (error 5) and every "
                           "line is lost from the log; remove or rename the folder");
        return;
    }
    const DWORD error = AppendError(log.c_str());
    if (LogHeldByAnother(error)) {
        report.Warning("log.held", log,
                       "log " + log +
                           ": another program holds it open for writing, or without sharing it with "
                           "writers; the launcher waits for it " +
                           std::to_string(kLogWaitMs) +
                           " ms in all during a run, "
                           "then writes its lines to standard output only and counts them in the log once it can; "
                           "close that program, or have it share the file for writing (log viewers do)");
    } else if (error != 0) {
        report.Warning("log.not-writable", log,
                       "log " + log + ": this account cannot append to it (error " + std::to_string(error) +
                           "), and its lines would be lost; give the launcher's account write access to it, or run "
                           "this check as that account");
    }
}
