// The checker's command line as Windows tools take theirs: /? and -? ask for help like -h and
// --help, long options are the same in any case, and an unknown option is named in why.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checker/checkoptions.h"

namespace {

struct OptionsCase {
    const char* name;
    std::vector<std::wstring> arguments;  // after the program's name
    bool accepted;
    bool help, lastRun, json;
    const wchar_t* taskFile;  // null: none
    const char* whyNames;     // a text why must hold when not accepted
};

// clang-format off
const OptionsCase kCases[] = {
    {"SlashQuestionMarkIsHelp", {L"/?"}, true, true, false, false, nullptr, ""},
    {"DashQuestionMarkIsHelp", {L"-?"}, true, true, false, false, nullptr, ""},
    {"DashHIsHelp", {L"-h"}, true, true, false, false, nullptr, ""},
    {"HelpInCapitals", {L"--HELP"}, true, true, false, false, nullptr, ""},
    {"JsonInCapitals", {L"--JSON"}, true, false, false, true, nullptr, ""},
    {"LastRunInMixedCase", {L"--Last-Run", L"--Json"}, true, false, true, true, nullptr, ""},
    {"TaskInCapitals", {L"--TASK", L"a.xml"}, true, false, false, false, L"a.xml", ""},
    {"SameOptionInTwoCasesIsGivenTwice", {L"--json", L"--JSON"}, false, false, false, false, nullptr, "--json given twice"},
    {"UnknownOptionIsNamed", {L"--verbose"}, false, false, false, false, nullptr, "--verbose"},
    {"UnknownOptionAfterOthersIsNamed", {L"--json", L"-x"}, false, false, false, false, nullptr, "-x"},
    {"QuestionMarkWithOthersIsNoHelp", {L"-?", L"--json"}, false, false, false, false, nullptr, "-?"},
    // Case does not make another option of a near miss.
    {"NearMissIsUnknown", {L"--JSONS"}, false, false, false, false, nullptr, "--JSONS"},
};
// clang-format on

class ParsedOptions : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(ParsedOptions, AsWindowsToolsTakeThem)
{
    const OptionsCase& row = GetParam();
    std::vector<std::wstring> texts = {L"zStartupCheck.exe"};
    texts.insert(texts.end(), row.arguments.begin(), row.arguments.end());
    std::vector<wchar_t*> arguments;
    for (std::wstring& text : texts) arguments.push_back(&text[0]);
    CheckOptions options;
    std::string why;
    ASSERT_EQ(ParseCheckOptions(static_cast<int>(arguments.size()), arguments.data(), options, why), row.accepted)
        << why;
    if (!row.accepted) {
        EXPECT_NE(why.find(row.whyNames), std::string::npos) << why;
        return;
    }
    EXPECT_EQ(options.help, row.help);
    EXPECT_EQ(options.lastRun, row.lastRun);
    EXPECT_EQ(options.json, row.json);
    EXPECT_EQ(options.taskFile == nullptr ? std::wstring() : std::wstring(options.taskFile),
              row.taskFile == nullptr ? std::wstring() : std::wstring(row.taskFile));
}

INSTANTIATE_TEST_SUITE_P(Checker, ParsedOptions, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<OptionsCase>& info) { return info.param.name; });

// A command line that could not be split still answers in JSON when it asked for it.
TEST(UnsplitCommandLine, HoldsTheOptionInAnyCase)
{
    EXPECT_TRUE(LineHoldsOption(L"zStartupCheck.exe \"C:\\Show\\zStartup.exe\" --JSON", L"--json"));
    EXPECT_TRUE(LineHoldsOption(L"zStartupCheck.exe --Json --last-run", L"--json"));
    EXPECT_FALSE(LineHoldsOption(L"zStartupCheck.exe --jso", L"--json"));
    EXPECT_FALSE(LineHoldsOption(L"zStartupCheck.exe --js\"on\"", L"--json"));
}

}  // namespace
