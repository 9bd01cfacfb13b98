// Who may change what the elevated launcher relies on, decided on constructed facts: Wine keeps
// no permissions that are set, shows no junction or mount point and no file symbolic link, and
// reads every permission, so the folders, links and descriptors Windows has can only be built.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <tuple>

#include "checker/rights/writeaccesscheck.h"
#include "tests/checker/builtdescriptor.h"

namespace {

const char kAdministratorsOnly[] = "O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";
// Windows' default C:\ and a folder an administrator made in it, which inherits
// "Authenticated Users: Modify".
const char kDefaultDriveC[] =
    "O:SYD:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)(A;OICIIO;SDGXGWGR;;;AU)(A;;LC;;;AU)";
const char kMadeInDriveC[] =
    "O:BAD:AI(A;OICIID;FA;;;BA)(A;OICIID;FA;;;SY)(A;OICIID;0x1200a9;;;BU)(A;ID;0x1301bf;;;AU)"
    "(A;OICIIOID;SDGXGWGR;;;AU)";
const char kUsersModify[] = "O:BAD:(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)";
const char kUsersDeleteChild[] = "O:BAD:(A;OICI;FA;;;BA)(A;;0x40;;;BU)";

// What the reader gives for one path; paths not named read as administrators-only.
struct Object {
    std::string path;
    std::string sddl = kAdministratorsOnly;  // "" with error: unreadable
    DWORD error = 0;
    bool missing = false;
    LinkKind link = LinkKind::kNone;
    std::string resolved;  // where a link, or a path with links on its way, leads; "" with a link: cannot be told
    bool unresolvable = false;
    std::vector<std::string> builtAces;  // instead of sddl when not empty
};

Object Sddl(const std::string& path, const std::string& sddl)
{
    Object object;
    object.path = path;
    object.sddl = sddl;
    return object;
}
Object Unreadable(const std::string& path)
{
    Object object = Sddl(path, "");
    object.error = ERROR_ACCESS_DENIED;
    return object;
}
Object Missing(const std::string& path)
{
    Object object = Sddl(path, "");
    object.error = ERROR_FILE_NOT_FOUND;
    object.missing = true;
    return object;
}
Object Link(const std::string& path, LinkKind kind, const std::string& resolved,
            const std::string& sddl = kAdministratorsOnly)
{
    Object object = Sddl(path, sddl);
    object.link = kind;
    object.resolved = resolved;
    return object;
}
Object Unresolvable(const std::string& path)
{
    Object object = Sddl(path, kAdministratorsOnly);
    object.unresolvable = true;
    return object;
}
Object Built(const std::string& path, const std::vector<std::string>& aces)
{
    Object object = Sddl(path, "");
    object.builtAces = aces;
    return object;
}

typedef std::tuple<Severity, std::string, std::string> Expected;  // severity, code, subject

struct WalkCase {
    const char* name;
    bool elevated;
    std::string launcher;
    std::vector<Object> objects;
    std::vector<Expected> findings;
};

const Severity E = Severity::kError;
const Severity W = Severity::kWarning;
const Severity N = Severity::kNote;
const char kExe[] = "C:\\Show\\zStartup.exe";
const char kList[] = "C:\\Show\\Services.ini";
const char kBatch[] = "C:\\Show\\zStartup.bat";
const char kLog[] = "C:\\Show\\zStartup_LT.log";
const char kLostCount[] = "C:\\Show\\zStartup_LT.lost";

// clang-format off
const WalkCase kCases[] = {
    {"AdministratorsOnlyIsClean", true, kExe, {}, {}},
    // Whoever may write the log decides what --last-run reports.
    {"LogWritableByUsers", true, kExe, {Sddl(kLog, kUsersModify)}, {{E, "log.untrusted-writer", kLog}}},
    // Whoever may delete the count of lines a held log lost hides them from the log and --last-run.
    {"LostCountWritableByUsers", true, kExe, {Sddl(kLostCount, kUsersModify)},
     {{E, "log.untrusted-writer", kLostCount}}},
    {"LogNotCreatedYetTakesTheFolderEntriesForNewFiles", true, kExe,
     {Missing(kLog), Sddl("C:\\Show", "O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OIIO;0x1301bf;;;BU)")},
     {{E, "log.new-file-writer", kLog}}},
    // SetFileTime takes write attributes: whoever holds it dates the log, and so the last run.
    {"LogWhoseTimesUsersMaySet", true, kExe, {Sddl(kLog, "O:BAD:(A;;FA;;;BA)(A;;0x100;;;BU)")},
     {{E, "log.untrusted-writer", kLog}}},
    {"LogNotCreatedYetWhoseTimesUsersMaySet", true, kExe,
     {Missing(kLog), Sddl("C:\\Show", "O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OIIO;0x100;;;BU)")},
     {{E, "log.new-file-writer", kLog}}},
    // What the launcher runs is in the files' contents, which their times do not change.
    {"BatchWhoseTimesUsersMaySetIsClean", true, kExe, {Sddl(kBatch, "O:BAD:(A;;FA;;;BA)(A;;0x100;;;BU)")}, {}},
    {"ListNotCreatedYetWhoseTimesUsersMaySetIsClean", true, kExe,
     {Missing(kList), Sddl("C:\\Show", "O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OIIO;0x100;;;BU)")}, {}},
    {"ListNotCreatedYetTakesTheFolderEntriesForNewFiles", true, kExe,
     {Missing(kList), Sddl("C:\\Show", "O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OIIO;0x1301bf;;;BU)")},
     {{E, "file.new-file-writer", kList}}},
    // An elevated administrator may read any permissions: another account controls these.
    {"UnreadableFolderElevatedIsAnErrorAndTheParentIsStillChecked", true, kExe,
     {Unreadable("C:\\Show"), Sddl("C:\\", kUsersDeleteChild)},
     {{E, "permissions.unreadable", "C:\\Show"}, {E, "folder.renamable", "C:\\Show"}}},
    {"UnreadableFolderUnelevatedIsAWarning", false, kExe, {Unreadable("C:\\Show"), Sddl("C:\\", kUsersDeleteChild)},
     {{W, "permissions.unreadable", "C:\\Show"}, {E, "folder.renamable", "C:\\Show"}}},
    {"UnreadableFileElevatedIsAnError", true, kExe, {Unreadable(kBatch)}, {{E, "permissions.unreadable", kBatch}}},
    {"UnreadableFolderAboveDoesNotEndTheChain", true, "C:\\Tools\\Show\\zStartup.exe",
     {Unreadable("C:\\Tools"), Sddl("C:\\", kUsersDeleteChild)},
     {{E, "permissions.unreadable", "C:\\Tools"}, {E, "folder.renamable", "C:\\Tools"}}},
    // Made in a default C:\, a junction to an administrators-only folder inherits
    // "Authenticated Users: Modify": they may remove it and make their own C:\Show.
    {"JunctionMadeInDefaultDriveC", true, kExe,
     {Link("C:\\Show", LinkKind::kJunction, "D:\\Locked\\Show", kMadeInDriveC), Sddl("C:\\", kDefaultDriveC),
      Sddl("D:\\Locked\\Show", kUsersModify)},
     {{N, "link.found", "C:\\Show"},
      {E, "link.untrusted-writer", "C:\\Show"},
      {E, "folder.untrusted-writer", "D:\\Locked\\Show"}}},
    {"SymbolicLinkAboveTheFolderLeadsToARenamableFolder", true, "C:\\Apps\\Show\\zStartup.exe",
     {Link("C:\\Apps", LinkKind::kSymbolicLink, "D:\\Apps"),
      Link("C:\\Apps\\Show", LinkKind::kNone, "D:\\Apps\\Show"), Sddl("D:\\Apps", kUsersDeleteChild)},
     {{N, "link.found", "C:\\Apps"}, {E, "folder.renamable", "D:\\Apps\\Show"}}},
    {"FolderBehindALinkLeadsNowhereKnown", true, "C:\\Apps\\Show\\zStartup.exe",
     {Link("C:\\Apps", LinkKind::kSymbolicLink, "D:\\Apps"), Unresolvable("C:\\Apps\\Show")},
     {{N, "link.found", "C:\\Apps"}, {E, "link.target-unknown", "C:\\Apps\\Show"}}},
    {"ListLinksIntoAFolderUsersMayChange", true, kExe,
     {Link(kList, LinkKind::kSymbolicLink, "C:\\Users\\Public\\list.ini"), Sddl("C:\\Users\\Public", kUsersModify),
      Sddl("C:\\Users\\Public\\list.ini", kUsersModify)},
     {{N, "link.found", kList}, {E, "folder.untrusted-writer", "C:\\Users\\Public"}}},
    // Setting a reparse point takes write data or write attributes on it (MS-FSA).
    {"LinkItselfMayBeRepointed", true, kExe,
     {Link(kBatch, LinkKind::kSymbolicLink, "C:\\Show\\real.bat", "O:BAD:(A;;FA;;;BA)(A;;0x100;;;BU)")},
     {{N, "link.found", kBatch}, {E, "link.untrusted-writer", kBatch}}},
    {"LinkWhoseTargetCannotBeTold", true, kExe, {Link(kBatch, LinkKind::kSymbolicLink, "")},
     {{N, "link.found", kBatch}, {E, "link.target-unknown", kBatch}}},
    {"ConditionalEntryIsCountedAndSaidSo", true, kExe,
     {Built(kBatch, {PlainAce(ACCESS_ALLOWED_ACE_TYPE, FILE_ALL_ACCESS, "BA"),
                     CallbackAce(ACCESS_ALLOWED_CALLBACK_ACE_TYPE, FILE_ALL_ACCESS, "BU", true)})},
     {{E, "file.untrusted-writer", kBatch}, {N, "permissions.entry-not-evaluated", kBatch}}},
};
// clang-format on

ObjectFacts FactsOf(const Object& object)
{
    ObjectFacts facts;
    facts.missing = object.missing;
    facts.error = object.error;
    facts.link = object.link;
    const bool plain = object.link == LinkKind::kNone && object.resolved.empty() && !object.unresolvable;
    facts.resolved = plain ? object.path : object.resolved;
    facts.resolveError = facts.resolved.empty() ? ERROR_FILE_NOT_FOUND : 0;
    if (!object.builtAces.empty()) {
        auto built = std::make_shared<BuiltDescriptor>(object.builtAces);
        facts.descriptor = std::shared_ptr<void>(built, built->Get());
    } else if (!object.sddl.empty()) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(object.sddl.c_str(), SDDL_REVISION_1,
                                                                         &descriptor, nullptr))
            << object.sddl;
        facts.descriptor.reset(descriptor, LocalFree);
    }
    return facts;
}

std::string Upper(std::string path)
{
    CharUpperBuffA(&path[0], static_cast<DWORD>(path.size()));
    return path;
}

LauncherTarget TargetOf(const std::string& launcher)
{
    LauncherTarget target = {};
    lstrcpynA(target.path, launcher.c_str(), sizeof target.path);
    target.reading = PathReading::kRead;
    DeriveRunPaths(target.reading, target.path, target.paths);
    LogPathOf(target.path, target.logPath);
    return target;
}

class WriteAccessOf : public ::testing::TestWithParam<WalkCase> {};

TEST_P(WriteAccessOf, Facts)
{
    std::map<std::string, Object> objects;
    for (const Object& object : GetParam().objects) objects[Upper(object.path)] = object;
    const ObjectReader read = [&](const std::string& path) {
        const auto found = objects.find(Upper(path));
        return FactsOf(found != objects.end() ? found->second : Sddl(path, kAdministratorsOnly));
    };
    CheckReport report;
    JudgeWriteAccess(TargetOf(GetParam().launcher), GetParam().elevated, read, report);
    std::vector<Expected> findings;
    for (const Finding& finding : report.Findings())
        findings.emplace_back(finding.severity, finding.code, finding.subject);
    EXPECT_EQ(findings, GetParam().findings) << report.Text();
}

INSTANTIATE_TEST_SUITE_P(Checker, WriteAccessOf, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<WalkCase>& info) { return info.param.name; });

// Tags from winnt.h; only name surrogates (IsReparseTagNameSurrogate) stand for another name.
struct KindCase {
    const char* name;
    DWORD attributes;
    DWORD tag;
    std::wstring substitute;
    LinkKind kind;
};

// clang-format off
const KindCase kKindCases[] = {
    {"NoReparsePoint", FILE_ATTRIBUTE_DIRECTORY, 0, L"", LinkKind::kNone},
    {"SymbolicLink", FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_SYMLINK, L"", LinkKind::kSymbolicLink},
    {"Junction", FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY, IO_REPARSE_TAG_MOUNT_POINT,
     L"\\??\\D:\\Locked\\Show", LinkKind::kJunction},
    {"MountPoint", FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY, IO_REPARSE_TAG_MOUNT_POINT,
     L"\\??\\Volume{8e4c7b2a-0000-0000-0000-100000000000}\\", LinkKind::kMountPoint},
    {"NoTagAsWineShows", FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY, 0, L"", LinkKind::kOtherLink},
    {"DeduplicatedFileKeepsItsName", FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_DEDUP, L"", LinkKind::kNone},
};
// clang-format on

class LinkKindFrom : public ::testing::TestWithParam<KindCase> {};

TEST_P(LinkKindFrom, Attributes)
{
    EXPECT_EQ(LinkKindOf(GetParam().attributes, GetParam().tag, GetParam().substitute), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(Checker, LinkKindFrom, ::testing::ValuesIn(kKindCases),
                         [](const ::testing::TestParamInfo<KindCase>& info) { return info.param.name; });

TEST(FinalPath, LosesItsPrefix)
{
    EXPECT_EQ(WithoutFinalPathPrefix(L"\\\\?\\C:\\Show"), L"C:\\Show");
    EXPECT_EQ(WithoutFinalPathPrefix(L"\\\\?\\UNC\\server\\share\\Show"), L"\\\\server\\share\\Show");
    EXPECT_EQ(WithoutFinalPathPrefix(L"\\\\?\\Volume{1}\\Show"), L"\\\\?\\Volume{1}\\Show");
}

}  // namespace
