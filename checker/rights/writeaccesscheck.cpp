#include "checker/rights/writeaccesscheck.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <set>
#include <string>

#include "checker/rights/folderrenamers.h"
#include "checker/rights/untrustedwriters.h"

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

// The owner and DACL of path; null, with error set, when they cannot be read.
Descriptor ReadDescriptor(const std::string& path, DWORD& error)
{
    PSECURITY_DESCRIPTOR descriptor = NULL;
    error = GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                  NULL, NULL, NULL, NULL, &descriptor);
    return Descriptor(error == ERROR_SUCCESS ? descriptor : NULL);
}

// The same, with a warning when they cannot be read.
Descriptor ReadDescriptor(const std::string& path, CheckReport& report)
{
    DWORD error = ERROR_SUCCESS;
    Descriptor descriptor = ReadDescriptor(path, error);
    if (!descriptor) {
        report.Warning("permissions.unreadable", path,
                       "cannot read the permissions of " + path + " (error " + std::to_string(error) +
                           "); check by hand that only administrators may change it");
    }
    return descriptor;
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

// An error when accounts besides the system's may change the folder.
void CheckFolder(const std::string& folder, const std::vector<UntrustedWriter>& writers, CheckReport& report)
{
    if (writers.empty()) return;
    report.Error("folder.untrusted-writer", folder,
                 "folder " + folder + " may be changed by " + Describe(writers, true) +
                     ": any program running as them could make the next elevated start run its commands; move the "
                     "launcher, its list and its batch file to a folder only administrators may change, such as "
                     "C:\\Program Files\\zStartup");
}

// "delete it, add folders in C:\"
std::string DescribeRenameRight(const RenameRight& right, const std::string& parent)
{
    std::vector<std::string> words;
    if ((right.onFolder & DELETE) != 0) words.push_back("delete it");
    if ((right.onParent & FILE_DELETE_CHILD) != 0) words.push_back("delete folders in " + parent);
    if ((right.onParent & FILE_ADD_SUBDIRECTORY) != 0) words.push_back("add folders in " + parent);
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : ", ") + word;
    return text;
}

std::string DescribeRenamers(const std::vector<Renamer>& renamers, const std::string& parent)
{
    std::string text;
    for (const Renamer& renamer : renamers) {
        if (!text.empty()) text += "; ";
        if (renamer.account.empty() && renamer.through.size() > 1) text += "every signed-in user, as ";
        for (size_t i = 0; i < renamer.through.size(); ++i) {
            const RenameRight& right = renamer.through[i];
            text += (i == 0 ? "" : " with ") + AccountName(right.sid) + " (" + DescribeRenameRight(right, parent) + ")";
        }
    }
    return text;
}

// The writers of the folders above the launcher's, up to the root or the first that cannot be
// read (with a warning).
void ReadFoldersAbove(const std::vector<std::string>& folders, std::vector<std::vector<UntrustedWriter>>& chain,
                      CheckReport& report)
{
    for (size_t i = 1; i < folders.size(); ++i) {
        DWORD error = ERROR_SUCCESS;
        const Descriptor descriptor = ReadDescriptor(folders[i], error);
        if (!descriptor) {
            report.Warning("permissions.unreadable", folders[i],
                           "cannot read the permissions of " + folders[i] + " (error " + std::to_string(error) +
                               "), above the launcher's folder; check by hand that only administrators may rename "
                               "it or the folders in it");
            return;
        }
        chain.push_back(UntrustedWriters(descriptor.get()));
    }
}

// An error for each folder, from the launcher's up, that accounts not named for the launcher's
// folder could rename.
void CheckRenames(const LauncherTarget& target, const std::vector<UntrustedWriter>& folderWriters,
                  CheckReport& report)
{
    const std::vector<std::string> folders = FoldersUpToRoot(target.paths.directory);
    std::vector<std::vector<UntrustedWriter>> chain(1, folderWriters);
    ReadFoldersAbove(folders, chain, report);
    for (const RenamedFolder& renamed : FolderRenamers(chain)) {
        const std::string& folder = folders[renamed.index];
        report.Error("folder.renamable", folder,
                     "folder " + folder + " may be renamed by " +
                     DescribeRenamers(renamed.renamers, folders[renamed.index + 1]) +
                     ": they could move it aside and put their own " + target.path +
                     ", list and batch file in its place for the next elevated start to run; remove those rights, "
                     "or move the launcher, its list and its batch file to a folder only administrators may "
                     "change, such as C:\\Program Files\\zStartup");
    }
}

void CheckFile(const std::string& path, const std::set<std::string>& folderWriters, CheckReport& report)
{
    const Descriptor descriptor = ReadDescriptor(path, report);
    if (!descriptor) return;
    const std::vector<UntrustedWriter> writers = Beyond(UntrustedWriters(descriptor.get()), folderWriters);
    if (writers.empty()) return;
    report.Error("file.untrusted-writer", path,
                 path + " may be changed by " + Describe(writers, false) +
                     ": any program running as them could make the next elevated start run its commands; remove "
                     "their access");
}

// writers: who the folder's permissions let change a file created in it, beyond its own writers.
void CheckNewFile(const std::string& path, const std::string& folder, const std::vector<UntrustedWriter>& writers,
                  CheckReport& report)
{
    if (writers.empty()) return;
    report.Error("file.new-file-writer", path,
                 path + " does not exist yet, but once created it may be changed by " + Describe(writers, false) +
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
        const std::vector<UntrustedWriter> writers = UntrustedWriters(descriptor.get());
        CheckFolder(folder, writers, report);
        CheckRenames(target, writers, report);
        for (const UntrustedWriter& writer : writers) named.insert(writer.sid);
        newFileWriters = Beyond(UntrustedWritersOfNewFile(descriptor.get()), named);
    }
    CheckFile(target.path, named, report);
    for (const char* file : {target.paths.serviceList, target.paths.batch}) {
        if (*file == '\0') continue;
        if (MayExist(file)) CheckFile(file, named, report);
        else CheckNewFile(file, folder, newFileWriters, report);
    }
}
