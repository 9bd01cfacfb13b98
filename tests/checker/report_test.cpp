// The report's texts on their way out. JSON: each UTF-16 unit as \uXXXX (U+00E9 e acute, U+0416
// Cyrillic Zhe, U+1F600 as the pair D83D DE00), a byte sequence that is no UTF-8 as U+FFFD
// (MultiByteToWideChar's documented rule). Text for a pipe: the OEM code pages' tables (e acute
// is 0x82 in 437 and 850; Zhe and the stroked L are in neither, and become '?', not a look-alike
// L).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "checker/report/checkreport.h"
#include "checker/report/consoletext.h"
#include "checker/report/jsonreport.h"

namespace {

struct JsonCase {
    const char* name;
    ReportText subject;
    std::string written;  // as the JSON string's text
};

// clang-format off
const JsonCase kJsonCases[] = {
    {"AnsiLetter", std::string("Caf\xE9"), "Caf\\u00e9"},
    {"WideLetters", std::wstring(L"C:\\t\u00e2che-\u0416.xml"), "C:\\\\t\\u00e2che-\\u0416.xml"},
    {"SurrogatePair", std::wstring(L"\xD83D\xDE00"), "\\ud83d\\ude00"},
    {"InvalidUtf8", Utf8Text("\xD0\x96\xFF"), "\\u0416\\ufffd"},
    {"CutUtf8", Utf8Text("a\xC3"), "a\\ufffd"},
};
// clang-format on

class JsonSubject : public ::testing::TestWithParam<JsonCase> {};

TEST_P(JsonSubject, IsEscapedUtf16)
{
    if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252, have " << GetACP();
    CheckReport report;
    report.Note("x.y", GetParam().subject, "m");
    const std::string json = JsonReport(ReportContext(), report, 0);
    EXPECT_NE(json.find("\"subject\": \"" + GetParam().written + "\""), std::string::npos) << json;
}

INSTANTIATE_TEST_SUITE_P(Report, JsonSubject, ::testing::ValuesIn(kJsonCases),
                         [](const ::testing::TestParamInfo<JsonCase>& info) { return info.param.name; });

struct CodePageCase {
    const char* name;
    std::string utf8;
    UINT codePage;
    std::string bytes;
};

// clang-format off
const CodePageCase kCodePageCases[] = {
    {"EAcuteIn437", "Caf\xC3\xA9", 437, "Caf\x82"},
    {"EAcuteIn850", "Caf\xC3\xA9", 850, "Caf\x82"},
    {"ZheLackedBy850", "\xD0\x96", 850, "?"},
    {"StrokedLIsNoPlainL", "\xC5\x81" "odz", 850, "?odz"},
    {"Utf8Unchanged", "\xC5\x81\xD0\x96", CP_UTF8, "\xC5\x81\xD0\x96"},
};
// clang-format on

class InCodePageOf : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(InCodePageOf, Text) { EXPECT_EQ(InCodePage(GetParam().utf8, GetParam().codePage), GetParam().bytes); }

INSTANTIATE_TEST_SUITE_P(Report, InCodePageOf, ::testing::ValuesIn(kCodePageCases),
                         [](const ::testing::TestParamInfo<CodePageCase>& info) { return info.param.name; });

}  // namespace
