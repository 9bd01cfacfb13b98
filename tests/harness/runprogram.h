// RunProgram: starts a program with its standard output on a pipe, collects that output and
// waits for the program to end, within a generous bound that only stops hangs.
#ifndef ZSTARTUP_TESTS_HARNESS_RUNPROGRAM_H
#define ZSTARTUP_TESTS_HARNESS_RUNPROGRAM_H

#include <windows.h>

#include <string>

struct ProgramRun {
    bool started = false;
    DWORD startError = 0;   // CreateProcess's error when not started
    bool finished = false;  // false: still running at the bound, then terminated
    DWORD exitCode = 0;
    std::string output;  // standard output, bytes as written
    DWORD elapsedMs = 0;
};

struct ProgramLaunch {
    std::string path;            // full path of the executable
    std::string arguments;       // appended to the quoted path on the command line
    std::string directory;       // the child's current directory
    std::wstring widePath;       // used instead of path when set: names the ANSI code page lacks
    std::wstring wideArguments;  // used instead of arguments when set, for the same reason
};

ProgramRun RunProgram(const ProgramLaunch& launch);

// CreateProcessW of path with commandLine (inheriting handles, in directory), tried again a few
// times when it fails: Wine's process creation now and then fails once on a loaded machine,
// before the program's own code runs. False, with error set, when every attempt failed.
bool CreateProcessPatiently(const std::wstring& path, std::wstring& commandLine, DWORD flags,
                            const std::string& directory, STARTUPINFOW& startup, PROCESS_INFORMATION& process,
                            DWORD& error);

#endif
