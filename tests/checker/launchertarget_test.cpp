// The launcher's path as the checker finds and shows it. displayPath: a real launcher's path,
// every character kept, in UTF-8 as RFC 3629 writes it (U+00F3 is C3 B3, U+0141 C5 81, U+017A
// C5 BA: the stroked L and z acute are not in code page 1252, o acute is). LauncherBeside: a
// checker that cannot read its own path whole checks no launcher (Wine cannot start a program
// from a path that long).
#include <windows.h>

#include <gtest/gtest.h>

#include "checker/launchertarget.h"
#include "tests/harness/testfolder.h"
#include "tests/harness/widetext.h"

namespace {

struct DisplayCase {
    const char* name;
    std::wstring folder;
    std::string shown;
};

// clang-format off
const DisplayCase kCases[] = {
    {"LettersOutsideTheCodePageStay", L"\u0141\u00f3d\u017a", "\xC5\x81\xC3\xB3" "d\xC5\xBA"},
    {"LettersOfTheCodePageStay", L"Caf\u00e9", "Caf\xC3\xA9"},
};
// clang-format on

class DisplayPathOf : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayPathOf, Launcher)
{
    const TestFolder base;
    const std::wstring folder = Wide(base.Path()) + L"\\" + GetParam().folder;
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), NULL));
    const std::wstring launcher = folder + L"\\zStartup.exe";
    const HANDLE file = CreateFileW(launcher.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    LauncherTarget target;
    std::string why;
    ASSERT_TRUE(ResolveLauncher(launcher.c_str(), target, why)) << why;
    EXPECT_EQ(target.displayPath, base.Path() + "\\" + GetParam().shown + "\\zStartup.exe");
}

INSTANTIATE_TEST_SUITE_P(Checker, DisplayPathOf, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DisplayCase>& info) { return info.param.name; });

// GetModuleFileNameW's result, as documented: the length written, and the buffer's size when
// the path was cut.
struct BesideCase {
    const char* name;
    std::wstring self;
    DWORD length;
    DWORD capacity;
    std::wstring launcher;
};

// clang-format off
const BesideCase kBesideCases[] = {
    {"ReadWhole", L"C:\\Tools\\zStartupCheck.exe", 26, 2048, L"C:\\Tools\\zStartup.exe"},
    {"CutAtTheBuffer", L"C:\\Tools\\zStartupCheck.exe", 2048, 2048, L""},
    {"NotRead", L"", 0, 2048, L""},
    {"NoFolder", L"zStartupCheck.exe", 17, 2048, L""},
};
// clang-format on

class LauncherBesideOf : public ::testing::TestWithParam<BesideCase> {};

TEST_P(LauncherBesideOf, OwnPath)
{
    std::wstring self = GetParam().self;
    self.resize(GetParam().capacity, L'x');  // what lies past the length is never read
    EXPECT_EQ(LauncherBeside(self.c_str(), GetParam().length, GetParam().capacity), GetParam().launcher);
}

INSTANTIATE_TEST_SUITE_P(Checker, LauncherBesideOf, ::testing::ValuesIn(kBesideCases),
                         [](const ::testing::TestParamInfo<BesideCase>& info) { return info.param.name; });

}  // namespace
