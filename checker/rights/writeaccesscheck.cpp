#include "checker/rights/writeaccesscheck.h"

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "checker/plan/platformcheck.h"
#include "checker/rights/accountnames.h"
#include "checker/rights/folderrenamers.h"
#include "checker/rights/untrustedwriters.h"
#include "helpers/paths.h"

namespace {

// Windows gives up after 63 reparse points on one path; a loop of links must end sooner here.
const size_t kMostLinksFollowed = 8;
const char kMoveAdvice[] =
    "move the launcher, its list and its batch file to a folder only administrators may change, such as "
    "C:\\Program Files\\zStartup";

enum class FileRole { kLauncher, kList, kBatch, kLog, kLostCount };

// What the launcher runs is in the contents of its files; the log's times count as well.
DWORD ChangingRightsFor(FileRole role) { return role == FileRole::kLog ? kLogChangingRights : kChangingRights; }

std::string Describe(const std::vector<UntrustedWriter>& writers, bool folder)
{
    std::string text;
    for (const UntrustedWriter& writer : writers) {
        if (!text.empty()) text += "; ";
        text += AccountName(writer.sid) + " (" + DescribeRights(writer.rights, folder) + ")";
    }
    return text;
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

// Paths compare as the file system compares names: without regard to case.
std::string Key(const std::string& path)
{
    std::string key = path;
    if (!key.empty()) CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

std::vector<UntrustedWriter> Beyond(const std::vector<UntrustedWriter>& writers, const std::set<std::string>& named)
{
    std::vector<UntrustedWriter> beyond;
    for (const UntrustedWriter& writer : writers) {
        if (named.count(writer.sid) == 0) beyond.push_back(writer);
    }
    return beyond;
}

// The folders and files the launcher relies on, walked through every link on the way.
class WriteAccessWalk {
public:
    WriteAccessWalk(const std::string& launcherFolder, bool elevated, const ObjectReader& read, CheckReport& report)
        : launcherFolder(launcherFolder), elevated(elevated), read(read), report(report)
    {
    }

    // Checks folder, each folder above it and, when a link is on the way, the folder it leads to
    // in the same way. Returns the folder that files in it really are in; "" when that cannot be
    // told.
    std::string CheckFolders(const std::string& folder, size_t linksFollowed = 0);

    // Checks the file at path, in the launcher's folder, which leads to home.
    void CheckFile(FileRole role, const std::string& path, const std::string& home);

private:
    const ObjectFacts& Facts(const std::string& path);
    void Add(Severity severity, const char* code, const std::string& subject, const std::string& message);
    bool Readable(const std::string& path, const ObjectFacts& facts, bool aboveTheFolder);
    void NoteUnevaluated(const std::string& path, const std::vector<UntrustedWriter>& writers);
    void ReportFolderWriters(const std::string& folder, const std::vector<UntrustedWriter>& writers);
    void ReportRenames(const std::vector<std::string>& folders, const std::vector<std::vector<UntrustedWriter>>& chain);
    void ReportLink(const std::string& path, const ObjectFacts& facts, bool folder);
    void ReportUnresolved(const std::string& path, const std::string& what, DWORD error);
    void ReportFileWriters(FileRole role, const std::string& path, const std::set<std::string>& named);
    void ReportNewFile(FileRole role, const std::string& path, const std::string& home);
    std::set<std::string> NamedFor(const std::string& folder) const;

    const std::string launcherFolder;
    const bool elevated;
    const ObjectReader& read;
    CheckReport& report;
    std::map<std::string, ObjectFacts> facts;
    std::map<std::string, std::string> homes;                   // by folder checked: where it leads
    std::map<std::string, std::set<std::string>> namedWriters;  // by folder: the accounts named for it
    std::set<std::string> reported;                             // code and subject
};

const ObjectFacts& WriteAccessWalk::Facts(const std::string& path)
{
    const std::string key = Key(path);
    auto known = facts.find(key);
    if (known == facts.end()) known = facts.emplace(key, read(path)).first;
    return known->second;
}

void WriteAccessWalk::Add(Severity severity, const char* code, const std::string& subject, const std::string& message)
{
    if (reported.insert(std::string(code) + "\n" + Key(subject)).second) report.Add(severity, code, subject, message);
}

// False, with a finding, when the object's permissions cannot be read.
bool WriteAccessWalk::Readable(const std::string& path, const ObjectFacts& facts, bool aboveTheFolder)
{
    if (facts.descriptor || facts.missing) return facts.descriptor != nullptr;
    const std::string cannot =
        "cannot read the permissions of " + path + " (error " + std::to_string(facts.error) + ")";
    if (elevated) {
        Add(Severity::kError, "permissions.unreadable", path,
            cannot +
                ", though this check runs elevated: an account other than the administrators controls it "
                "and may change it; take ownership of it as an administrator and check who may change it, or " +
                kMoveAdvice);
    } else if (aboveTheFolder) {
        Add(Severity::kWarning, "permissions.unreadable", path,
            cannot +
                ", above the launcher's folder; check by hand that only administrators may rename it or the "
                "folders in it");
    } else {
        Add(Severity::kWarning, "permissions.unreadable", path,
            cannot + "; check by hand that only administrators may change it");
    }
    return false;
}

void WriteAccessWalk::NoteUnevaluated(const std::string& path, const std::vector<UntrustedWriter>& writers)
{
    std::string accounts;
    for (const UntrustedWriter& writer : writers) {
        if (writer.unevaluated) accounts += (accounts.empty() ? "" : ", ") + AccountName(writer.sid);
    }
    if (accounts.empty()) return;
    Add(Severity::kNote, "permissions.entry-not-evaluated", path,
        path + ": entries for " + accounts +
            " are conditional, callbacks or object-specific; their conditions were not evaluated, so their rights are "
            "counted as granted");
}

void WriteAccessWalk::ReportFolderWriters(const std::string& folder, const std::vector<UntrustedWriter>& writers)
{
    if (writers.empty()) return;
    Add(Severity::kError, "folder.untrusted-writer", folder,
        "folder " + folder + " may be changed by " + Describe(writers, true) +
            ": any program running as them could make the next elevated start run its commands; " + kMoveAdvice);
    NoteUnevaluated(folder, writers);
}

void WriteAccessWalk::ReportRenames(const std::vector<std::string>& folders,
                                    const std::vector<std::vector<UntrustedWriter>>& chain)
{
    for (const RenamedFolder& renamed : FolderRenamers(chain)) {
        const std::string& folder = folders[renamed.index];
        Add(Severity::kError, "folder.renamable", folder,
            "folder " + folder + " may be renamed by " +
                DescribeRenamers(renamed.renamers, folders[renamed.index + 1]) +
                ": they could move it aside and put their own launcher, list and batch file in its place for the "
                "next elevated start to run; remove those rights, or " +
                kMoveAdvice);
    }
}

void WriteAccessWalk::ReportLink(const std::string& path, const ObjectFacts& facts, bool folder)
{
    const std::string kind = LinkKindName(facts.link);
    const std::string leads = facts.resolved.empty() ? std::string("its target") : facts.resolved;
    Add(Severity::kNote, "link.found", path,
        path + " is a " + kind + (facts.resolved.empty() ? std::string() : " to " + facts.resolved) +
            ": the launcher goes where it leads, so the check covers the " + kind + " itself and " + leads +
            ", with the folders above both");
    if (facts.descriptor) {
        const std::vector<UntrustedWriter> writers = UntrustedWriters(facts.descriptor.get(), kLinkChangingRights);
        if (!writers.empty()) {
            Add(Severity::kError, "link.untrusted-writer", path,
                "the " + kind + " " + path + " may be changed or removed by " + Describe(writers, folder) +
                    ": they could point it elsewhere, or put their own in its place, for the next elevated start to "
                    "use; remove their access to the " +
                    kind + ", or replace it with the real folder or file");
            NoteUnevaluated(path, writers);
        }
    }
    if (facts.resolved.empty()) ReportUnresolved(path, "the " + kind + " " + path, facts.resolveError);
}

// what: "the junction C:\Show", or a path with links on its way.
void WriteAccessWalk::ReportUnresolved(const std::string& path, const std::string& what, DWORD error)
{
    Add(elevated ? Severity::kError : Severity::kWarning, "link.target-unknown", path,
        "cannot tell where " + what + " leads (error " + std::to_string(error) +
            "): whoever may create or change its target decides what the launcher uses; replace the link with the "
            "real folder or file");
}

std::set<std::string> WriteAccessWalk::NamedFor(const std::string& folder) const
{
    const auto named = namedWriters.find(Key(folder));
    return named != namedWriters.end() ? named->second : std::set<std::string>();
}

std::string WriteAccessWalk::CheckFolders(const std::string& folder, size_t linksFollowed)
{
    const auto known = homes.find(Key(folder));
    if (known != homes.end()) return known->second;
    homes[Key(folder)] = folder;  // until it is known to lead elsewhere, which also ends a loop of links

    const std::vector<std::string> folders = FoldersUpToRoot(folder);
    std::vector<std::vector<UntrustedWriter>> chain;
    bool linked = false;
    for (size_t i = 0; i < folders.size(); ++i) {
        const ObjectFacts& found = Facts(folders[i]);
        chain.push_back(Readable(folders[i], found, i > 0) ? UntrustedWriters(found.descriptor.get())
                                                           : std::vector<UntrustedWriter>());
        if (found.link == LinkKind::kNone) continue;
        linked = true;
        ReportLink(folders[i], found, true);
    }
    // A link's own writers are named as the link's.
    if (Facts(folder).link == LinkKind::kNone) ReportFolderWriters(folder, chain[0]);
    for (const UntrustedWriter& writer : chain[0]) namedWriters[Key(folder)].insert(writer.sid);
    ReportRenames(folders, chain);

    const std::string& resolved = Facts(folder).resolved;
    if (!linked || linksFollowed >= kMostLinksFollowed || lstrcmpiA(resolved.c_str(), folder.c_str()) == 0)
        return folder;
    if (resolved.empty())
        ReportUnresolved(folder, folder + ", through the links on its way,", Facts(folder).resolveError);
    const std::string home = resolved.empty() ? std::string() : CheckFolders(resolved, linksFollowed + 1);
    homes[Key(folder)] = home;
    return home;
}

void WriteAccessWalk::ReportFileWriters(FileRole role, const std::string& path, const std::set<std::string>& named)
{
    const ObjectFacts& file = Facts(path);
    if (!Readable(path, file, false)) return;
    const std::vector<UntrustedWriter> writers =
        Beyond(UntrustedWriters(file.descriptor.get(), ChangingRightsFor(role)), named);
    if (writers.empty()) return;
    if (role == FileRole::kLog) {
        Add(Severity::kError, "log.untrusted-writer", path,
            "log " + path + " may be changed by " + Describe(writers, false) +
                ": any program running as them could add lines for a start that never ran, remove a failed "
                "one or set its last-write time, and zStartupCheck --last-run would report a clean start; remove "
                "their access");
    } else if (role == FileRole::kLostCount) {
        Add(Severity::kError, "log.untrusted-writer", path,
            "the count of lines the log could not take, " + path + ", may be changed by " + Describe(writers, false) +
                ": any program running as them could delete it, and the warning of those lines would never reach "
                "the log or zStartupCheck --last-run; remove their access");
    } else {
        Add(Severity::kError, "file.untrusted-writer", path,
            path + " may be changed by " + Describe(writers, false) +
                ": any program running as them could make the next elevated start run its commands; remove their "
                "access");
    }
    NoteUnevaluated(path, writers);
}

void WriteAccessWalk::ReportNewFile(FileRole role, const std::string& path, const std::string& home)
{
    if (home.empty() || !Facts(home).descriptor) return;  // already reported
    std::set<std::string> named = NamedFor(home);
    const std::set<std::string> ofLauncherFolder = NamedFor(launcherFolder);
    named.insert(ofLauncherFolder.begin(), ofLauncherFolder.end());
    const std::vector<UntrustedWriter> writers =
        Beyond(UntrustedWritersOfNewFile(Facts(home).descriptor.get(), ChangingRightsFor(role)), named);
    if (writers.empty()) return;
    const std::string created = role == FileRole::kLog ? "once the launcher creates it" : "once created";
    const std::string harm = role == FileRole::kLog
                                 ? "could then forge the lines or the last-write time zStartupCheck --last-run reports"
                                 : "could then make the next elevated start run its commands";
    Add(Severity::kError, role == FileRole::kLog ? "log.new-file-writer" : "file.new-file-writer", path,
        path + " does not exist yet, but " + created + " it may be changed by " + Describe(writers, false) +
            ", whose rights on " + home + " pass to new files: any program running as them " + harm +
            "; remove those entries for new files from the permissions of " + home);
    NoteUnevaluated(path, writers);
}

void WriteAccessWalk::CheckFile(FileRole role, const std::string& path, const std::string& home)
{
    const ObjectFacts& file = Facts(path);
    if (file.missing) {
        // A count made later inherits what the log did when the launcher made it.
        if (role != FileRole::kLauncher && role != FileRole::kLostCount) ReportNewFile(role, path, home);
        return;
    }
    std::set<std::string> named = NamedFor(home);
    const std::set<std::string> ofLauncherFolder = NamedFor(launcherFolder);
    named.insert(ofLauncherFolder.begin(), ofLauncherFolder.end());
    if (file.link == LinkKind::kNone) {
        ReportFileWriters(role, path, named);
        return;
    }
    ReportLink(path, file, false);
    if (file.resolved.empty()) return;
    const std::string targetHome = CheckFolders(FolderOf(file.resolved));
    ReportFileWriters(role, file.resolved, NamedFor(targetHome));
}

}  // namespace

void JudgeWriteAccess(const LauncherTarget& target, bool elevated, const ObjectReader& read, CheckReport& report)
{
    if (target.reading != PathReading::kRead) return;
    WriteAccessWalk walk(target.paths.directory, elevated, read, report);
    const std::string home = walk.CheckFolders(target.paths.directory);
    walk.CheckFile(FileRole::kLauncher, target.path, home);
    if (target.paths.serviceList[0] != '\0') walk.CheckFile(FileRole::kList, target.paths.serviceList, home);
    if (target.paths.batch[0] != '\0') walk.CheckFile(FileRole::kBatch, target.paths.batch, home);
    if (LogsInItsCurrentFolder(target)) return;
    walk.CheckFile(FileRole::kLog, target.logPath, home);
    char lostCountPath[kLostCountPathCapacity];
    LostCountPathOf(target.logPath, lostCountPath);
    walk.CheckFile(FileRole::kLostCount, lostCountPath, home);
}

void CheckWriteAccess(const LauncherTarget& target, CheckReport& report)
{
    JudgeWriteAccess(target, RunsElevated(), ReadObjectFacts, report);
}
