// Folder and file names against the ANSI code page: a launcher in a folder whose name the code
// page cannot hold must still read its list, open its batch file and write its log there, and
// never the files of the same names in its current folder; a double-byte name whose second byte
// is a backslash must not be cut inside the character. Each case needs its code page (Wine
// takes it from the locale: 1252 for C, 932 for ja_JP.UTF-8) and is skipped under another; a
// run that sets ZSTARTUP_EXPECT_ACP fails instead when it does not get that code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/harness/launcherscenario.h"
#include "tests/harness/widetext.h"

namespace {

struct CodePageCase {
    const char* name;
    UINT codePage;
    const wchar_t* folder;  // made inside the test folder
    const wchar_t* base;    // the launcher's name without ".exe"
    // Folder and base as trace lines show them: '?' for each character the code page lacks,
    // never a look-alike.
    const char* shownFolder;
    const char* shownBase;
};

// clang-format off
const CodePageCase kCases[] = {
    {"CyrillicFolderIsReachedByItsUtf16Path", 1252, L"\u041F\u043E\u043A\u0430\u0437", L"zStartup", "?????",
     "zStartup"},
    // Best-fit mapping would make this "Lodz", another folder; o-acute is in code page 1252.
    {"PolishFolderIsReachedNotItsBestFit", 1252, L"\u0141\u00F3d\u017A", L"zStartup", "?\xF3" "d?", "zStartup"},
    // 表 is 0x95 0x5C in code page 932.
    {"KanjiWithBackslashTrailByteStaysWhole", 932, L"\u8868", L"\u8868", "\x95\x5C", "\x95\x5C"},
};
// clang-format on

const char kListed[] = "[zStartup] Error starting service zstNoSuchListed";
const DWORD kBatchBoundMs = 30000;
// Batch text that leaves ran.txt in its working directory.
const char kLeaveMark[] = "@echo ran> ran.tmp\r\n@ren ran.tmp ran.txt\r\n";

bool WriteWide(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool WaitForWide(const std::wstring& path)
{
    for (DWORD waited = 0; GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 100) {
        if (waited >= kBatchBoundMs) return false;
        Sleep(100);
    }
    return true;
}

class CodePage : public LauncherScenario, public ::testing::WithParamInterface<CodePageCase> {};

TEST_P(CodePage, NamesReachTheRightFiles)
{
    const CodePageCase& row = GetParam();
    const char* expected = std::getenv("ZSTARTUP_EXPECT_ACP");
    if (expected != nullptr) {
        ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected))) << "locale not set up";
    }
    if (GetACP() != row.codePage) GTEST_SKIP() << "needs code page " << row.codePage << ", have " << GetACP();

    const std::wstring directory = Wide(folder_.Path()) + L"\\" + row.folder;
    const std::wstring exe = directory + L"\\" + row.base + L".exe";
    ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(Wide(BesideThisProgram("zStartup.exe")).c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(WriteWide(directory + L"\\Services.ini", "[START]\r\n0=zstNoSuchListed\r\n"));
    ASSERT_TRUE(WriteWide(directory + L"\\" + row.base + L".bat", kLeaveMark));
    // What a launcher that lost its folder would open instead: another launcher's files.
    folder_.MakeFolder("elsewhere");
    folder_.Write("elsewhere\\zStartup.bat", kLeaveMark);
    folder_.Write("elsewhere\\Services.ini", "[START]\r\n0=zstNoSuchElsewhere\r\n");

    ProgramLaunch launch;
    launch.widePath = exe;
    launch.directory = folder_.PathOf("elsewhere");
    ProgramRun run = RunProgram(launch);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);

    const std::string shown = folder_.Path() + "\\" + row.shownFolder;
    const std::string batch = shown + "\\" + row.shownBase + ".bat";
    const TraceLines lines = {
        "[zStartup] started", kListed, "[zStartup] BAT file is '" + batch + "', DIR is '" + shown + "'",
        "[zStartup] '" + batch + "' started with result: " + std::to_string(kShellResultUnderWine),
        "[zStartup] stopped"};
    EXPECT_EQ(run.output, OutputText(lines));
    EXPECT_EQ(ReadFileBytes(directory + L"\\" + row.base + L"_LT.log"), LogText(lines));
    EXPECT_TRUE(WaitForWide(directory + L"\\ran.txt")) << "its own batch file did not run in its folder";
    EXPECT_FALSE(folder_.Exists("elsewhere\\ran.txt")) << "the current folder's batch file ran";
    EXPECT_FALSE(folder_.Exists("elsewhere\\default_LT.log"));
}

INSTANTIATE_TEST_SUITE_P(Launcher, CodePage, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CodePageCase>& info) { return info.param.name; });

}  // namespace
