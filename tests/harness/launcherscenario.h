// LauncherScenario: fixture for end-to-end runs of the real launcher in a fresh folder.
#ifndef ZSTARTUP_TESTS_HARNESS_LAUNCHERSCENARIO_H
#define ZSTARTUP_TESTS_HARNESS_LAUNCHERSCENARIO_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/harness/runprogram.h"
#include "tests/harness/testfolder.h"

using TraceLines = std::vector<std::string>;

// What ShellExecuteA returns for a batch file under Wine (any value above 32 is success).
constexpr int kShellResultUnderWine = 33;

class LauncherScenario : public ::testing::Test {
protected:
    explicit LauncherScenario(const std::string& folderSuffix = "") : folder_(folderSuffix) {}

    // Copies bin/<product> into the folder as exeName (once) and runs it, its current
    // directory being the folder's subfolder "elsewhere", so that nothing is found through it.
    ProgramRun Run(const std::string& exeName = "zStartup.exe", const std::string& product = "zStartup.exe");

    // The lines of a run of folder\<exeBase>.exe without batch file around serviceLines.
    TraceLines Frame(const TraceLines& serviceLines, const std::string& exeBase = "zStartup") const;

    // Exit status 0, the log file <folder>\logName holding exactly the lines, each with CR LF,
    // and standard output holding exactly "[LLT] <line>\r\n" for each.
    void ExpectTrace(const ProgramRun& run, const TraceLines& lines,
                     const std::string& logName = "zStartup_LT.log") const;

    TestFolder folder_;
};

// The lines of a run without batch file of <directory>\<exeBase>.exe around serviceLines.
TraceLines RunLines(const std::string& directory, const std::string& exeBase, const TraceLines& serviceLines);

std::string LogText(const TraceLines& lines);
std::string OutputText(const TraceLines& lines);

#endif
