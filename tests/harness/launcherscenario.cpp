#include "tests/harness/launcherscenario.h"

ProgramRun LauncherScenario::Run(const std::string& exeName, const std::string& product)
{
    if (!folder_.Exists(exeName)) folder_.CopyFromBin(product, exeName);
    if (!folder_.Exists("elsewhere")) folder_.MakeFolder("elsewhere");
    ProgramLaunch launch;
    launch.path = folder_.PathOf(exeName);
    launch.directory = folder_.PathOf("elsewhere");
    ProgramRun run = RunProgram(launch);
    EXPECT_TRUE(run.started) << "cannot start " << launch.path << ": error " << run.startError;
    EXPECT_TRUE(run.finished) << launch.path << " hung";
    return run;
}

TraceLines LauncherScenario::Frame(const TraceLines& serviceLines, const std::string& exeBase) const
{
    return RunLines(folder_.Path(), exeBase, serviceLines);
}

void LauncherScenario::ExpectTrace(const ProgramRun& run, const TraceLines& lines, const std::string& logName) const
{
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(folder_.Read(logName), LogText(lines));
    EXPECT_EQ(run.output, OutputText(lines));
}

TraceLines RunLines(const std::string& directory, const std::string& exeBase, const TraceLines& serviceLines)
{
    std::string batch = directory + "\\" + exeBase + ".bat";
    TraceLines lines = {"[zStartup] started"};
    lines.insert(lines.end(), serviceLines.begin(), serviceLines.end());
    lines.push_back("[zStartup] BAT file is '" + batch + "', DIR is '" + directory + "'");
    lines.push_back("[zStartup] '" + batch + "' Not found");
    lines.push_back("[zStartup] stopped");
    return lines;
}

std::string LogText(const TraceLines& lines)
{
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::string OutputText(const TraceLines& lines)
{
    std::string text;
    for (const std::string& line : lines) text += "[LLT] " + line + "\r\n";
    return text;
}
