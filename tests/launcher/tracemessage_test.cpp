// TraceMessage's destination codes and file handling, through a small program that links the
// trace library and is copied into a fresh folder for each case.
#include <gtest/gtest.h>

#include "tests/harness/runprogram.h"
#include "tests/harness/testfolder.h"

namespace {

struct TraceCase {
    const char* name;
    const char* arguments;    // pairs of destination code and text
    const char* logBefore;    // null: no log file before the run
    const char* output;       // expected standard output
    const char* logAfter;     // null: no log file after the run
    const char* countBefore;  // the lost-line count beside the log; null: no such file
    const char* countAfter;
};

// clang-format off
const TraceCase kCases[] = {
    {"CodeZeroWritesBoth", "0 alpha", nullptr, "[LLT] alpha\r\n", "alpha\r\n", nullptr, nullptr},
    {"CodeOneWritesOutputOnly", "1 alpha", nullptr, "[LLT] alpha\r\n", nullptr, nullptr, nullptr},
    {"CodeTwoWritesLogOnly", "2 alpha", nullptr, "", "alpha\r\n", nullptr, nullptr},
    {"CodeThreeWritesNothing", "3 alpha", nullptr, "", nullptr, nullptr, nullptr},
    {"NegativeCodeWritesNothing", "-1 alpha", nullptr, "", nullptr, nullptr, nullptr},
    {"CallsAppendInOrderAfterExistingText", "0 first 2 second 1 third", "old\r\n",
     "[LLT] first\r\n[LLT] third\r\n", "old\r\nfirst\r\nsecond\r\n", nullptr, nullptr},
    {"EmptyMessageIsEmptyLine", "0 \"\"", "old", "[LLT] \r\n", "old\r\n", nullptr, nullptr},
    // Lines that another program's hold keeps out of the log are counted there, before the
    // next line that reaches it; standard output has every line and no warning.
    {"LostLinesAreCountedBeforeTheNextLineKept", "hold probe_LT.log 0 alpha 2 beta release - 0 gamma 0 delta",
     "old\r\n", "[LLT] alpha\r\n[LLT] gamma\r\n[LLT] delta\r\n",
     "old\r\n[zStartup] Warning: 2 lines could not be written to the log\r\ngamma\r\ndelta\r\n", nullptr, ""},
    // The process ends with them: their count waits beside the log for a later run.
    {"LinesLostToTheEndAreCountedBesideTheLog", "hold probe_LT.log 0 alpha 0 beta", nullptr,
     "[LLT] alpha\r\n[LLT] beta\r\n", "", nullptr, "2"},
    {"CountBesideTheLogGoesBeforeTheFirstLine", "0 alpha 0 beta", "old\r\n", "[LLT] alpha\r\n[LLT] beta\r\n",
     "old\r\n[zStartup] Warning: 5 lines could not be written to the log\r\nalpha\r\nbeta\r\n", "5", ""},
    {"LinesLostAddToTheCountBesideTheLog", "hold probe_LT.log 0 alpha release - 0 beta", nullptr,
     "[LLT] alpha\r\n[LLT] beta\r\n", "[zStartup] Warning: 6 lines could not be written to the log\r\nbeta\r\n", "5",
     ""},
    {"CountFileWithOtherBytesCountsNothing", "0 alpha", nullptr, "[LLT] alpha\r\n", "alpha\r\n", "12x", ""},
    // Once a line is in, the log stays with the process: a program that refuses to share
    // writing cannot take it.
    {"HoldAfterTheFirstLineIsRefused", "0 alpha hold probe_LT.log 0 beta", nullptr,
     "[LLT] alpha\r\n[probe] hold refused: 32\r\n[LLT] beta\r\n", "alpha\r\nbeta\r\n", nullptr, nullptr},
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
    if (row.countBefore != nullptr) folder.Write("probe_LT.lost", row.countBefore);

    ProgramRun run = RunProbe(folder, row.arguments);

    EXPECT_EQ(run.output, row.output);
    EXPECT_EQ(folder.Exists("probe_LT.log"), row.logAfter != nullptr);
    if (row.logAfter != nullptr) {
        EXPECT_EQ(folder.Read("probe_LT.log"), row.logAfter);
    }
    EXPECT_FALSE(folder.Exists("default_LT.log"));
    EXPECT_EQ(folder.Exists("probe_LT.lost"), row.countAfter != nullptr);
    if (row.countAfter != nullptr) {
        EXPECT_EQ(folder.Read("probe_LT.lost"), row.countAfter);
    }
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
