// How the service list file is found and read: encodings that Windows' profile reader
// handles differently from Wine's, and lists that are there but cannot be read.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/harness/launcherscenario.h"
#include "tests/harness/widetext.h"

namespace {

const char kListed[] = "[zStartup] Error starting service zstNoSuchListed";
const char kMarkWarning[] =
    "[zStartup] Warning: service list begins with a UTF-8 byte order mark; save it as ANSI or UTF-16";

enum class ListForm { kBytes, kFolder, kHeldWithoutSharing, kLockedExclusively };

struct ListFileCase {
    const char* name;
    ListForm form;
    std::string bytes;  // the list's contents (kBytes, kHeldWithoutSharing)
    TraceLines serviceLines;
};

const char kBigEndianWarning[] =
    "[zStartup] Warning: service list begins with a UTF-16 big-endian byte order mark; save it as ANSI or UTF-16 LE";

std::string Utf16WithMark(const std::string& ascii, bool bigEndian = false)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) bytes += bigEndian ? std::string(1, '\0') + c : std::string(1, c) + '\0';
    return bytes;
}

const std::string kStartList = "[START]\r\n0=zstNoSuchListed\r\n";
// Windows takes service names of up to 256 characters; a longer value names no service, and its
// line shows its first 256.
const std::string kName256(256, 'n');

// clang-format off
const ListFileCase kCases[] = {
    // Wine reads the section behind the mark; Windows would not see it.
    {"Utf8MarkBeforeSectionIsWarned", ListForm::kBytes, "\xEF\xBB\xBF" + kStartList, {kMarkWarning, kListed}},
    {"Utf8MarkBeforeBlanksAndSectionIsWarned", ListForm::kBytes, "\xEF\xBB\xBF \t" + kStartList,
     {kMarkWarning, kListed}},
    {"Utf8MarkBeforeCommentIsHarmless", ListForm::kBytes, "\xEF\xBB\xBF; list\r\n" + kStartList, {kListed}},
    {"Utf16WithMarkIsRead", ListForm::kBytes, Utf16WithMark(kStartList), {kListed}},
    // Windows reads such a list as empty; Wine reads it.
    {"Utf16BigEndianMarkIsWarned", ListForm::kBytes, Utf16WithMark(kStartList, true),
     {kBigEndianWarning, kListed}},
    {"NameOf256CharactersIsReadWhole", ListForm::kBytes, "[START]\r\n0=" + kName256 + "\r\n",
     {"[zStartup] Error starting service " + kName256}},
    {"NameOf257CharactersShowsItsFirst256", ListForm::kBytes, "[START]\r\n0=" + kName256 + "x\r\n",
     {"[zStartup] Error starting service " + kName256}},
    {"EmptyListHasNoLine", ListForm::kBytes, "", {}},
    {"FolderNamedLikeTheListIsAccessDenied", ListForm::kFolder, "",
     {"[zStartup] Error reading service list: error 5"}},
    {"ListHeldWithoutSharingIsSharingViolation", ListForm::kHeldWithoutSharing, kStartList,
     {"[zStartup] Error reading service list: error 32"}},
    // Windows' ReadFile fails in a range another handle has locked (Wine's reads ignore locks).
    {"ListLockedByAnotherIsLockViolation", ListForm::kLockedExclusively, kStartList,
     {"[zStartup] Error reading service list: error 33"}},
};
// clang-format on

class ServiceListFile : public LauncherScenario, public ::testing::WithParamInterface<ListFileCase> {};

TEST_P(ServiceListFile, TracesHowTheListIsRead)
{
    const ListFileCase& row = GetParam();
    HANDLE holder = INVALID_HANDLE_VALUE;
    if (row.form == ListForm::kFolder) {
        folder_.MakeFolder("Services.ini");
    } else {
        folder_.Write("Services.ini", row.bytes);
    }
    if (row.form == ListForm::kHeldWithoutSharing || row.form == ListForm::kLockedExclusively) {
        const DWORD share = row.form == ListForm::kHeldWithoutSharing ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
        holder = CreateFileW(Wide(folder_.PathOf("Services.ini")).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    }
    if (row.form == ListForm::kLockedExclusively) {
        OVERLAPPED third = {};
        third.Offset = 3;  // one byte, in the middle of the section's name
        ASSERT_TRUE(LockFileEx(holder, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &third));
    }
    ProgramRun run = Run();
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
    ExpectTrace(run, Frame(row.serviceLines));
    EXPECT_LE(run.elapsedMs, 1500u) << "nothing to wait for";
}

INSTANTIATE_TEST_SUITE_P(Launcher, ServiceListFile, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ListFileCase>& info) { return info.param.name; });

}  // namespace
