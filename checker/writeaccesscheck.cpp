#include "checker/writeaccesscheck.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <memory>
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

// Frees what GetNamedSecurityInfoA allocated.
struct LocalFreeDeleter {
    void operator()(void* memory) const { LocalFree(memory); }
};
typedef std::unique_ptr<void, LocalFreeDeleter> Descriptor;

// The owner and DACL of path; null, with a warning, when they cannot be read.
Descriptor ReadDescriptor(const std::string& path, CheckReport& report)
{
    PSECURITY_DESCRIPTOR descriptor = NULL;
    const DWORD error = GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT,
                                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, NULL, NULL,
                                              NULL, NULL, &descriptor);
    if (error != ERROR_SUCCESS) {
        report.Warning("cannot read the permissions of " + path + " (error " + std::to_string(error) +
                       "); check by hand that only administrators may change it");
        return Descriptor();
    }
    return Descriptor(descriptor);
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

// An error when accounts besides the system's may change the folder; returns those accounts.
std::set<std::string> CheckFolder(const std::string& folder, PSECURITY_DESCRIPTOR descriptor, CheckReport& report)
{
    const std::vector<UntrustedWriter> writers = UntrustedWriters(descriptor);
    std::set<std::string> named;
    if (writers.empty()) return named;
    report.Error("folder " + folder + " may be changed by " + Describe(writers, true) +
                 ": any program running as them could make the next elevated start run its commands; move the "
                 "launcher, its list and its batch file to a folder only administrators may change, such as "
                 "C:\\Program Files\\zStartup");
    for (const UntrustedWriter& writer : writers) named.insert(writer.sid);
    return named;
}

void CheckFile(const std::string& path, const std::set<std::string>& folderWriters, CheckReport& report)
{
    const Descriptor descriptor = ReadDescriptor(path, report);
    if (!descriptor) return;
    const std::vector<UntrustedWriter> writers = Beyond(UntrustedWriters(descriptor.get()), folderWriters);
    if (writers.empty()) return;
    report.Error(path + " may be changed by " + Describe(writers, false) +
                 ": any program running as them could make the next elevated start run its commands; remove "
                 "their access");
}

// writers: who the folder's permissions let change a file created in it, beyond its own writers.
void CheckNewFile(const std::string& path, const std::string& folder, const std::vector<UntrustedWriter>& writers,
                  CheckReport& report)
{
    if (writers.empty()) return;
    report.Error(path + " does not exist yet, but once created it may be changed by " + Describe(writers, false) +
                 ", whose rights on " + folder + " pass to new files: any program running as them could then make "
                 "the next elevated start run its commands; remove those entries for new files from the "
                 "permissions of " + folder);
}

// False only when the file is known to be missing.
bool MayExist(const std::string& path)
{
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

}  // namespace

void CheckWriteAccess(const LauncherTarget& target, CheckReport& report)
{
    if (target.reading != PathReading::kRead) return;
    const std::string folder = target.paths.directory;
    std::set<std::string> named;
    std::vector<UntrustedWriter> newFileWriters;
    if (const Descriptor descriptor = ReadDescriptor(folder, report)) {
        named = CheckFolder(folder, descriptor.get(), report);
        newFileWriters = Beyond(UntrustedWritersOfNewFile(descriptor.get()), named);
    }
    CheckFile(target.path, named, report);
    for (const char* file : {target.paths.serviceList, target.paths.batch}) {
        if (*file == '\0') continue;
        if (MayExist(file)) CheckFile(file, named, report);
        else CheckNewFile(file, folder, newFileWriters, report);
    }
}
