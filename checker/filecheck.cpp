#include "checker/filecheck.h"

#include <windows.h>

#include <string>

#include "lowtracessupport/pathparts.h"

namespace {

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// 0 when this account may open path with access, else the error. A folder needs the backup
// semantics flag to be opened at all.
DWORD OpenError(const char* path, DWORD access, bool folder)
{
    HANDLE handle = CreateFileA(path, access, kShareAll, NULL, OPEN_EXISTING,
                                folder ? FILE_FLAG_BACKUP_SEMANTICS : FILE_ATTRIBUTE_NORMAL, NULL);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(handle);
    return 0;
}

std::string FolderOf(const char* path)
{
    char folder[MAX_PATH * 4];
    lstrcpynA(folder, path, sizeof folder);
    return CutToFolder(folder) ? folder : ".";
}

// 0 when a line could be appended to the log at path, else the error that would stop it.
DWORD AppendError(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return OpenError(FolderOf(path).c_str(), FILE_ADD_FILE, true);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return ERROR_ACCESS_DENIED;
    return OpenError(path, FILE_APPEND_DATA, false);
}

}  // namespace

void CheckBatch(const LauncherTarget& target, CheckReport& report)
{
    if (target.reading != PathReading::kRead) {
        report.Warning("batch file: the launcher cannot use its own path " + target.displayPath +
                       ", so it opens zStartup.bat in its current folder (at a scheduled start usually "
                       "C:\\Windows\\System32) if there is one there; move the launcher");
        return;
    }
    const char* batch = target.paths.batch;
    const DWORD attributes = GetFileAttributesA(batch);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        report.Warning(std::string("no batch file ") + batch +
                       ": the launcher logs \"Not found\" and opens nothing; create it, even empty");
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        report.Warning(std::string(batch) +
                       " is a folder, not a batch file: the launcher logs \"Not found\" and opens nothing; remove or "
                       "rename the folder");
    } else {
        report.Plan(std::string("then: open ") + batch);
    }
}

void CheckLog(const LauncherTarget& target, CheckReport& report)
{
    const std::string log = target.logPath;
    if (log == "default_LT.log") {
        report.Warning("log: default_LT.log in the launcher's current folder (at a scheduled start usually "
                       "C:\\Windows\\System32), because the launcher's path " + target.displayPath +
                       " is too long for 255 characters or not in the ANSI code page; move the launcher");
        return;
    }
    report.Note("log: " + log);
    const DWORD error = AppendError(log.c_str());
    if (error == ERROR_SHARING_VIOLATION) {
        report.Warning("log " + log +
                       ": another program holds it without sharing, and lines written meanwhile are lost; close it");
    } else if (error != 0) {
        report.Warning("log " + log + ": this account cannot append to it (error " + std::to_string(error) +
                       "), and its lines would be lost; give the launcher's account write access to it, or run "
                       "this check as that account");
    }
}
