// The batch launch, the file names that follow the executable's own name and location, and
// the trace log's behaviour, end to end without services.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/harness/launcherscenario.h"
#include "tests/harness/runprogram.h"
#include "tests/harness/widetext.h"

namespace {

const DWORD kBatchBoundMs = 30000;

// Polls until the file exists (a batch file runs on after the launcher has ended).
bool WaitForFile(const TestFolder& folder, const std::string& name)
{
    for (DWORD waited = 0; !folder.Exists(name); waited += 100) {
        if (waited >= kBatchBoundMs) return false;
        Sleep(100);
    }
    return true;
}

// Batch text recording its working directory into where.txt, which appears only once whole.
const char kRecordWorkingDirectory[] = "@cd > where.tmp\r\n@ren where.tmp where.txt\r\n";

class BatchLaunch : public LauncherScenario {};

TEST_F(BatchLaunch, MissingBatchFileIsNotFoundLine)
{
    ProgramRun run = Run();
    ExpectTrace(run, Frame({}));
}

TEST_F(BatchLaunch, BatchFileRunsInExecutableFolder)
{
    folder_.Write("zStartup.bat", kRecordWorkingDirectory);
    ProgramRun run = Run();
    std::string batch = folder_.PathOf("zStartup.bat");
    ExpectTrace(run, {"[zStartup] started", "[zStartup] BAT file is '" + batch + "', DIR is '" + folder_.Path() + "'",
                      "[zStartup] '" + batch + "' started with result: " + std::to_string(kShellResultUnderWine),
                      "[zStartup] stopped"});
    ASSERT_TRUE(WaitForFile(folder_, "where.txt")) << "the batch file did not run in " << folder_.Path();
    EXPECT_EQ(folder_.Read("where.txt"), folder_.Path() + "\r\n");
}

TEST_F(BatchLaunch, CopyUsesItsOwnBatchAndLogNamesButKeepsTag)
{
    folder_.Write("zStartup.bat", kRecordWorkingDirectory);  // present, but not Opening's
    ProgramRun run = Run("Opening.exe");
    ExpectTrace(run, Frame({}, "Opening"), "Opening_LT.log");
    EXPECT_FALSE(folder_.Exists("zStartup_LT.log"));
}

// A program that holds the log, from before a run to after it, refusing to share writing: the
// run's lines go to standard output only, and their count waits beside the log for the next
// run, whose first line in the log it precedes.
struct LogHolder {
    const char* name;
    DWORD access;
    DWORD share;
};

// clang-format off
const LogHolder kLogHolders[] = {
    {"SharingNothing", GENERIC_READ | GENERIC_WRITE, 0},
    {"SharingReadOnly", GENERIC_READ, FILE_SHARE_READ},
};
// clang-format on

class LogHeldForAWholeRun : public LauncherScenario, public ::testing::WithParamInterface<LogHolder> {};

TEST_P(LogHeldForAWholeRun, ItsLinesAreCountedBeforeTheNextRunsFirstLine)
{
    const std::string earlier = "line of an earlier run\r\n";
    folder_.Write("zStartup_LT.log", earlier);
    HANDLE holder = CreateFileW(Wide(folder_.PathOf("zStartup_LT.log")).c_str(), GetParam().access, GetParam().share,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ProgramRun held = Run();
    CloseHandle(holder);
    EXPECT_EQ(held.exitCode, 0u);
    EXPECT_EQ(held.output, OutputText(Frame({})));
    EXPECT_EQ(folder_.Read("zStartup_LT.log"), earlier);

    // Released, the next run appends after what the file held; the held run wrote 4 lines.
    ProgramRun next = Run();
    EXPECT_EQ(next.exitCode, 0u);
    EXPECT_EQ(next.output, OutputText(Frame({})));
    EXPECT_EQ(folder_.Read("zStartup_LT.log"),
              earlier + "[zStartup] Warning: 4 lines could not be written to the log\r\n" + LogText(Frame({})));
}

INSTANTIATE_TEST_SUITE_P(BatchLaunch, LogHeldForAWholeRun, ::testing::ValuesIn(kLogHolders),
                         [](const ::testing::TestParamInfo<LogHolder>& info) { return info.param.name; });

// A dot in the folder name is no extension: the file name alone is searched for one.
class DottedFolder : public LauncherScenario {
protected:
    DottedFolder() : LauncherScenario(".tools") {}
};

TEST_F(DottedFolder, ExecutableWithoutExtensionKeepsItsFolder)
{
    ProgramRun run = Run("Opening");
    ExpectTrace(run, Frame({}, "Opening"), "Opening_LT.log");
}

}  // namespace
