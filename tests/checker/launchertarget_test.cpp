// The launcher's path as the checker finds and shows it. AnsiForDisplay: a path the ANSI code
// page cannot hold is shown with '?' where it lacks a character, never with a look-alike that
// names another folder; expected bytes from code page 1252's table (o acute is 0xF3; the
// stroked L and z acute are not in it). LauncherBeside: a checker that cannot read its own
// path whole checks no launcher (Wine cannot start a program from a path that long).
#include <windows.h>

#include <gtest/gtest.h>

#include "checker/launchertarget.h"

namespace {

struct DisplayCase {
    const char* name;
    std::wstring wide;
    std::string shown;
};

// clang-format off
const DisplayCase kCases[] = {
    {"LettersOutsideTheCodePageBecomeQuestionMarks", L"C:\\t\\\u0141\u00f3d\u017a", "C:\\t\\?\xf3" "d?"},
    {"LettersOfTheCodePageStay", L"C:\\Caf\u00e9", "C:\\Caf\xe9"},
};
// clang-format on

class AnsiForDisplayOf : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(AnsiForDisplayOf, Path)
{
    if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252, have " << GetACP();
    EXPECT_EQ(AnsiForDisplay(GetParam().wide), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Checker, AnsiForDisplayOf, ::testing::ValuesIn(kCases),
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
