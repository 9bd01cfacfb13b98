// The report texts' conversions against the encodings' own tables: UTF-8 as RFC 3629 writes
// each code point (U+00E9 is C3 A9, U+0141 C5 81, U+1F600 F0 9F 98 80), code page 1252's table
// (0xE9 is U+00E9), and MultiByteToWideChar's documented rule for input that is no UTF-8: each
// bad sequence becomes U+FFFD.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "helpers/text.h"

namespace {

struct Utf8Case {
    const char* name;
    std::wstring wide;
    std::string utf8;
};

// clang-format off
const Utf8Case kUtf8Cases[] = {
    {"Ascii", L"C:\\Show\\zStartup.exe", "C:\\Show\\zStartup.exe"},
    {"LatinLetters", L"Caf\u00e9 \u0141\u00f3d\u017a", "Caf\xC3\xA9 \xC5\x81\xC3\xB3" "d\xC5\xBA"},
    {"Cyrillic", L"t\u00e2che-\u0416", "t\xC3\xA2" "che-\xD0\x96"},
    {"SurrogatePair", L"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
    {"Empty", L"", ""},
};
// clang-format on

class Utf8Conversion : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Conversion, BothWays)
{
    EXPECT_EQ(Utf8Of(GetParam().wide), GetParam().utf8);
    EXPECT_EQ(WideOfUtf8(GetParam().utf8), GetParam().wide);
}

INSTANTIATE_TEST_SUITE_P(Text, Utf8Conversion, ::testing::ValuesIn(kUtf8Cases),
                         [](const ::testing::TestParamInfo<Utf8Case>& info) { return info.param.name; });

struct InvalidCase {
    const char* name;
    std::string utf8;
    std::wstring wide;
};

// clang-format off
const InvalidCase kInvalidCases[] = {
    {"LoneContinuationByte", "a\x80" "b", L"a\uFFFD" L"b"},
    {"ByteNeverInUtf8", "\xFF", L"\uFFFD"},
    {"SequenceCutAtTheEnd", "Caf\xC3", L"Caf\uFFFD"},
    {"NulKept", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
};
// clang-format on

class WideOfInvalidUtf8 : public ::testing::TestWithParam<InvalidCase> {};

TEST_P(WideOfInvalidUtf8, BecomesReplacementCharacters) { EXPECT_EQ(WideOfUtf8(GetParam().utf8), GetParam().wide); }

INSTANTIATE_TEST_SUITE_P(Text, WideOfInvalidUtf8, ::testing::ValuesIn(kInvalidCases),
                         [](const ::testing::TestParamInfo<InvalidCase>& info) { return info.param.name; });

// A log line or a list's name in the ANSI code page: 0xE9 is e acute in code page 1252.
TEST(Utf8OfAnsi, CodePageBytesBecomeTheirCharacters)
{
    if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252, have " << GetACP();
    EXPECT_EQ(Utf8OfAnsi("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(Utf8OfAnsi(std::string("[zStartup] \0\0", 13)), std::string("[zStartup] \0\0", 13));
}

}  // namespace
