#include "checker/writeaccesscheck.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <set>
#include <string>

#include "checker/untrustedwriters.h"

namespace {

// DOMAIN\name, or the SID itself when it has no name here.
std::string AccountName(const std::string& sid)
{
    PSID binary = NULL;
    if (!ConvertStringSidToSidA(sid.c_str(), &binary)) return sid;
    char name[256];
    char domain[256];
    DWORD nameSize = sizeof name;
    DWORD domainSize = sizeof domain;
    SID_NAME_USE use;
    const BOOL found = LookupAccountSidA(NULL, binary, name, &nameSize, domain, &domainSize, &use);
    LocalFree(binary);
    if (!found) return sid;
    return domain[0] != '\0' ? std::string(domain) + "\\" + name : std::string(name);
}

std::string Describe(const std::vector<UntrustedWriter>& writers, bool folder)
{
    std::string text;
    for (const UntrustedWriter& writer : writers) {
        if (!text.empty()) text += "; ";
        text += AccountName(writer.sid) + " (" + DescribeRights(writer.rights, folder) + ")";
    }
    return text;
}

// False, with a warning, when the descriptor cannot be read.
bool ReadWriters(const std::string& path, std::vector<UntrustedWriter>& writers, CheckReport& report)
{
    PSECURITY_DESCRIPTOR descriptor = NULL;
    const DWORD error = GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT,
                                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, NULL, NULL,
                                              NULL, NULL, &descriptor);
    if (error != ERROR_SUCCESS) {
        report.Warning("permissions.unreadable", path,
                       "cannot read the permissions of " + path + " (error " + std::to_string(error) +
                           "); check by hand that only administrators may change it");
        return false;
    }
    writers = UntrustedWriters(descriptor);
    LocalFree(descriptor);
    return true;
}

// Writers not already named for the folder.
std::vector<UntrustedWriter> Beyond(const std::vector<UntrustedWriter>& writers, const std::set<std::string>& named)
{
    std::vector<UntrustedWriter> beyond;
    for (const UntrustedWriter& writer : writers) {
        if (named.count(writer.sid) == 0) beyond.push_back(writer);
    }
    return beyond;
}

void CheckFile(const std::string& path, const std::set<std::string>& folderWriters, CheckReport& report)
{
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    std::vector<UntrustedWriter> writers;
    if (!ReadWriters(path, writers, report)) return;
    writers = Beyond(writers, folderWriters);
    if (writers.empty()) return;
    report.Error("file.untrusted-writer", path, path + " may be changed by " + Describe(writers, false) +
                 ": any program running as them could make the next elevated start run its commands; remove "
                 "their access");
}

}  // namespace

void CheckWriteAccess(const LauncherTarget& target, CheckReport& report)
{
    if (target.reading != PathReading::kRead) return;
    const std::string folder = target.paths.directory;
    std::vector<UntrustedWriter> writers;
    std::set<std::string> named;
    if (ReadWriters(folder, writers, report) && !writers.empty()) {
        report.Error("folder.untrusted-writer", folder,
                     "folder " + folder + " may be changed by " + Describe(writers, true) +
                     ": any program running as them could make the next elevated start run its commands; move the "
                     "launcher, its list and its batch file to a folder only administrators may change, such as "
                     "C:\\Program Files\\zStartup");
        for (const UntrustedWriter& writer : writers) named.insert(writer.sid);
    }
    for (const char* file : {target.path, target.paths.serviceList, target.paths.batch})
        CheckFile(file, named, report);
}
