// Folder and file names against the ANSI code page: a name the code page cannot hold must not
// turn into some other path, and a double-byte name whose second byte is a backslash must not
// be cut inside the character. Each case needs its code page (Wine takes it from the locale:
// 1252 for C, 932 for ja_JP.UTF-8) and is skipped under another; a run that sets
// ZSTARTUP_EXPECT_ACP fails instead when it does not get that code page.
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
    bool representable;
};

// clang-format off
const CodePageCase kCases[] = {
    {"CyrillicFolderIsNotRepresentable", 1252, L"\u041F\u043E\u043A\u0430\u0437", L"zStartup", false},
    // Best-fit mapping would make this "Lodz"-like, another folder.
    {"PolishFolderIsNotBestFitted", 1252, L"\u0141\u00F3d\u017A", L"zStartup", false},
    // 表 is 0x95 0x5C in code page 932.
    {"KanjiWithBackslashTrailByteStaysWhole", 932, L"\u8868", L"\u8868", true},
};
// clang-format on

const char kListed[] = "[zStartup] Error starting service zstNoSuchListed";

std::string Ansi(const std::wstring& wide)
{
    int length = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &text[0], length, nullptr, nullptr);
    text.resize(static_cast<size_t>(length) - 1);
    return text;
}

bool WriteWide(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
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
    folder_.MakeFolder("elsewhere");

    ProgramLaunch launch;
    launch.widePath = exe;
    launch.directory = folder_.PathOf("elsewhere");
    ProgramRun run = RunProgram(launch);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);

    TraceLines lines;
    std::string log;
    if (row.representable) {
        lines = RunLines(Ansi(directory), Ansi(row.base), {kListed});
        log = ReadFileBytes(directory + L"\\" + row.base + L"_LT.log");
    } else {
        lines = {"[zStartup] started",
                 "[zStartup] Error reading service list: folder name not representable in the ANSI code page",
                 "[zStartup] BAT file is 'zStartup.bat', DIR is ''", "[zStartup] 'zStartup.bat' Not found",
                 "[zStartup] stopped"};
        log = folder_.Read("elsewhere\\default_LT.log");
    }
    EXPECT_EQ(run.output, OutputText(lines));
    EXPECT_EQ(log, LogText(lines));
}

INSTANTIATE_TEST_SUITE_P(Launcher, CodePage, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CodePageCase>& info) { return info.param.name; });

}  // namespace
