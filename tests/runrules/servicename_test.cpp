// Service names compared as the service manager compares them, on byte strings of a given code
// page. The expected results follow Windows' ordinal rule, not this code: both names in UTF-16,
// upper-cased with Windows' own table ([MS-UCODEREF] 3.1.5.3, its "Windows 8 Upper Case
// Mapping Table"), then compared code unit by code unit (3.1.5.5.1, CompareStringOrdinal).
// The table maps i to I, ş to Ş and ÿ to Ÿ, and has no entry for İ (U+0130) or ı (U+0131).
#include <gtest/gtest.h>

#include "runrules/servicename.h"

namespace {

struct NameCase {
    const char* name;
    const char* a;
    const char* b;
    UINT codePage;
    bool same;
};

// clang-format off
const NameCase kCases[] = {
    {"AsciiLettersFoldCase", "ShowPlayer", "SHOWPLAYER", 1252, true},
    {"TurkishFileIsFILE", "file", "FILE", 1254, true},
    {"DottedCapitalIIsNotCapitalI", "\xDD", "I", 1254, false},
    {"DottedCapitalIIsNotSmallI", "\xDD", "i", 1254, false},
    {"DotlessSmallIIsNotCapitalI", "\xFD", "I", 1254, false},
    {"DotlessSmallIIsNotSmallI", "\xFD", "i", 1254, false},
    {"DottedCapitalIIsNotDotlessSmallI", "\xDD", "\xFD", 1254, false},
    {"SameBytesInCodePage1252AreYAcuteInTwoCases", "\xDD", "\xFD", 1252, true},
    {"SCedillaFoldsInCodePage1254", "\xFE", "\xDE", 1254, true},
    {"YDiaeresisFoldsToItsCapitalOutsideLatin1", "\xFF", "\x9F", 1252, true},
    {"SharpSIsNotDoubleS", "\xDF", "SS", 1252, false},
    {"SoftHyphenIsACharacter", "a\xAD" "b", "ab", 1252, false},
    {"LigatureIsNotItsLetters", "\xC6", "AE", 1252, false},
    {"LongerNameDiffers", "Spooler", "Spooler2", 1252, false},
};
// clang-format on

class ServiceNameComparison : public ::testing::TestWithParam<NameCase> {};

TEST_P(ServiceNameComparison, FollowsTheServiceManagersRule)
{
    const NameCase& row = GetParam();
    EXPECT_EQ(SameServiceName(row.a, row.b, row.codePage), row.same);
    EXPECT_EQ(SameServiceName(row.b, row.a, row.codePage), row.same);
    const int forth = CompareServiceNames(row.a, row.b, row.codePage);
    const int back = CompareServiceNames(row.b, row.a, row.codePage);
    EXPECT_EQ(forth<0, back> 0) << "an order, as a map's key needs";
}

INSTANTIATE_TEST_SUITE_P(RunRules, ServiceNameComparison, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<NameCase>& info) { return info.param.name; });

}  // namespace
