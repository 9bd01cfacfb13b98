// Executable paths at the edges of the run's 256-character buffers (log path, service list
// path) and at a drive root. Nothing may be cut into a wrong path: a log path that does not
// fit falls back to default_LT.log in the current directory, a service list path to an error
// line. (Wine starts no program whose path reaches MAX_PATH, so the 1024-character batch
// buffer cannot be overrun from here.)
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/harness/launcherscenario.h"

namespace {

const char kListedService[] = "zstNoSuchListed";
const char kListTooLong[] = "[zStartup] Error reading service list: path too long";

enum class ListOutcome { Read, TooLong };

struct LengthCase {
    const char* name;
    size_t directoryLength;  // 0: the test folder itself
    size_t exeLength;        // 0: <directory>\z.exe
    bool logBesideExe;       // else default_LT.log in the current directory
    ListOutcome list;
};

// Log path = exe path - ".exe" + "_LT.log" (exe + 3); it fits 256 with its terminator up to
// an exe path of 252. Service list path = directory + "\Services.ini" (directory + 13); it
// fits up to a directory of 242.
// clang-format off
const LengthCase kCases[] = {
    {"LogPathFillsItsBuffer", 0, 252, true, ListOutcome::Read},
    {"LogPathOnePastItsBuffer", 0, 253, false, ListOutcome::Read},
    {"ServiceListPathFillsItsBuffer", 242, 0, true, ListOutcome::Read},
    {"ServiceListPathOnePastItsBuffer", 243, 0, true, ListOutcome::TooLong},
};
// clang-format on

class PathLength : public LauncherScenario, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(PathLength, NothingIsCut)
{
    const LengthCase& row = GetParam();
    const size_t folderLength = folder_.Path().size();
    std::string directory;  // relative to the folder, with a trailing backslash
    if (row.directoryLength != 0) {
        ASSERT_GT(row.directoryLength, folderLength + 1);
        directory = std::string(row.directoryLength - folderLength - 1, 'd') + "\\";
        folder_.MakeFolder(directory);
    }
    const size_t directoryLength = folderLength + directory.size();  // with its backslash
    std::string base = "z";
    if (row.exeLength != 0) {
        ASSERT_GT(row.exeLength, directoryLength + 5);
        base = std::string(row.exeLength - directoryLength - 5, 'z');
    }
    folder_.Write(directory + "Services.ini", std::string("[START]\r\n0=") + kListedService + "\r\n");

    ASSERT_EQ(folder_.PathOf(directory + base + ".exe").size(),
              row.exeLength != 0 ? row.exeLength : directoryLength + 6);
    ProgramRun run = Run(directory + base + ".exe");

    std::string fullDirectory =
        folder_.Path() + (directory.empty() ? "" : "\\" + directory.substr(0, directory.size() - 1));
    TraceLines serviceLines = {row.list == ListOutcome::Read
                                   ? std::string("[zStartup] Error starting service ") + kListedService
                                   : std::string(kListTooLong)};
    TraceLines lines = RunLines(fullDirectory, base, serviceLines);
    std::string log = row.logBesideExe ? directory + base + "_LT.log" : "elsewhere\\default_LT.log";
    ExpectTrace(run, lines, log);
    EXPECT_EQ(folder_.Exists("elsewhere\\default_LT.log"), !row.logBesideExe);
    EXPECT_EQ(folder_.Exists(directory + base + "_LT.log"), row.logBesideExe);
}

INSTANTIATE_TEST_SUITE_P(Launcher, PathLength, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<LengthCase>& info) { return info.param.name; });

// Files at the root of drive C:, removed with the object.
class DriveRootFiles {
public:
    explicit DriveRootFiles(const std::string& base) : base_(base) {}
    ~DriveRootFiles()
    {
        for (const char* extension : {".exe", ".bat", "_LT.log", ".tmp", ".txt"}) DeleteFileA(Path(extension).c_str());
    }
    std::string Path(const std::string& extension) const { return "C:\\" + base_ + extension; }

private:
    std::string base_;
};

bool WaitForFile(const std::string& path)
{
    for (DWORD waited = 0; GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 100) {
        if (waited >= 30000) return false;
        Sleep(100);
    }
    return true;
}

// "C:" alone would be the drive's current directory: the root keeps its backslash.
TEST(DriveRoot, ExecutableAtRootWorksInRoot)
{
    const std::string base = "zst" + std::to_string(GetCurrentProcessId()) + "root";
    DriveRootFiles files(base);
    ASSERT_TRUE(CopyFileA(BesideThisProgram("zStartup.exe").c_str(), files.Path(".exe").c_str(), FALSE));
    std::string bat = "@cd > " + base + ".tmp\r\n@ren " + base + ".tmp " + base + ".txt\r\n";
    HANDLE file = CreateFileA(files.Path(".bat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bat.data(), static_cast<DWORD>(bat.size()), &written, nullptr);
    CloseHandle(file);

    ProgramLaunch launch;
    launch.path = files.Path(".exe");
    launch.directory = BesideThisProgram("");
    ProgramRun run = RunProgram(launch);

    TraceLines lines = {
        "[zStartup] started", "[zStartup] BAT file is '" + files.Path(".bat") + "', DIR is 'C:\\'",
        "[zStartup] '" + files.Path(".bat") + "' started with result: " + std::to_string(kShellResultUnderWine),
        "[zStartup] stopped"};
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, OutputText(lines));
    EXPECT_EQ(ReadFileBytes(files.Path("_LT.log")), LogText(lines));
    ASSERT_TRUE(WaitForFile(files.Path(".txt"))) << "the batch file did not run in C:\\";
    EXPECT_EQ(ReadFileBytes(files.Path(".txt")), "C:\\\r\n");
}

}  // namespace
