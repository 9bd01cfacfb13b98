// TraceMessage's destination codes and file handling, through a small program that links the
// trace library and is copied into a fresh folder for each case.
#include <gtest/gtest.h>

#include "tests/harness/runprogram.h"
#include "tests/harness/testfolder.h"

namespace {

struct TraceCase {
    const char* name;
    const char* arguments;  // pairs of destination code and text
    const char* logBefore;  // null: no log file before the run
    const char* output;     // expected standard output
    const char* logAfter;   // null: no log file after the run
};

// clang-format off
const TraceCase kCases[] = {
    {"CodeZeroWritesBoth", "0 alpha", nullptr, "[LLT] alpha\r\n", "alpha\r\n"},
    {"CodeOneWritesOutputOnly", "1 alpha", nullptr, "[LLT] alpha\r\n", nullptr},
    {"CodeTwoWritesLogOnly", "2 alpha", nullptr, "", "alpha\r\n"},
    {"CodeThreeWritesNothing", "3 alpha", nullptr, "", nullptr},
    {"NegativeCodeWritesNothing", "-1 alpha", nullptr, "", nullptr},
    {"CallsAppendInOrderAfterExistingText", "0 first 2 second 1 third", "old\r\n",
     "[LLT] first\r\n[LLT] third\r\n", "old\r\nfirst\r\nsecond\r\n"},
    {"EmptyMessageIsEmptyLine", "0 \"\"", "old", "[LLT] \r\n", "old\r\n"},
    // Lines that another program's hold keeps out of the log are counted there, before the
    // next line that reaches it; standard output has every line and no warning.
    {"LostLinesAreCountedBeforeTheNextLineKept", "0 alpha hold probe_LT.log 0 beta 2 gamma release - 0 delta 0 omega",
     "old\r\n", "[LLT] alpha\r\n[LLT] beta\r\n[LLT] delta\r\n[LLT] omega\r\n",
     "old\r\nalpha\r\n[zStartup] Warning: 2 lines could not be written to the log\r\ndelta\r\nomega\r\n"},
    {"LinesLostToTheEndLeaveNoWarning", "0 alpha hold probe_LT.log 0 beta", nullptr, "[LLT] alpha\r\n[LLT] beta\r\n",
     "alpha\r\n"},
};
// clang-format on

class TraceMessageDestination : public ::testing::TestWithParam<TraceCase> {};

ProgramRun RunProbe(const TestFolder& folder, const std::string& arguments)
{
    folder.CopyFromBin("tracemessage_probe.exe", "probe.exe");
    ProgramLaunch launch;
    launch.path = folder.PathOf("probe.exe");
    launch.arguments = arguments;
    launch.directory = folder.Path();
    ProgramRun run = RunProgram(launch);
    EXPECT_TRUE(run.started && run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    return run;
}

TEST_P(TraceMessageDestination, WritesWhereTheCodeSays)
{
    const TraceCase& row = GetParam();
    TestFolder folder;
    if (row.logBefore != nullptr) folder.Write("probe_LT.log", row.logBefore);

    ProgramRun run = RunProbe(folder, row.arguments);

    EXPECT_EQ(run.output, row.output);
    EXPECT_EQ(folder.Exists("probe_LT.log"), row.logAfter != nullptr);
    if (row.logAfter != nullptr) {
        EXPECT_EQ(folder.Read("probe_LT.log"), row.logAfter);
    }
    EXPECT_FALSE(folder.Exists("default_LT.log"));
}

INSTANTIATE_TEST_SUITE_P(TraceLog, TraceMessageDestination, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TraceCase>& info) { return info.param.name; });

TEST(TraceMessageLength, MessageIsCutTo1023Characters)
{
    TestFolder folder;
    std::string longText(1500, 'x');
    ProgramRun run = RunProbe(folder, "0 " + longText);
    std::string kept(1023, 'x');
    EXPECT_EQ(run.output, "[LLT] " + kept + "\r\n");
    EXPECT_EQ(folder.Read("probe_LT.log"), kept + "\r\n");
}

}  // namespace
