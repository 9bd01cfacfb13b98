#include "tests/reliability/runtogether.h"

#include "tests/harness/testfolder.h"
#include "tests/harness/widetext.h"

namespace {

struct Child {
    HANDLE output = INVALID_HANDLE_VALUE;
    PROCESS_INFORMATION process = {};
    DWORD startError = 0;
    std::string outputPath;
};

HANDLE CreateInheritableOutput(const std::string& path)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    return CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool StartSuspended(const ProgramLaunch& launch, Child* child)
{
    child->output = CreateInheritableOutput(child->outputPath);
    if (child->output == INVALID_HANDLE_VALUE) return false;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = child->output;
    startup.hStdError = child->output;
    std::wstring commandLine = L"\"" + Wide(launch.path) + L"\"";
    if (!launch.arguments.empty()) commandLine += L" " + Wide(launch.arguments);
    return CreateProcessPatiently(Wide(launch.path), commandLine, CREATE_SUSPENDED, launch.directory, startup,
                                  child->process, child->startError);
}

// Resumes a thread created suspended until it runs: Windows leaves a suspend count of one, and
// any more (a loader that suspends it too) would leave the child waiting for the bound.
void ResumeFully(HANDLE thread)
{
    for (int i = 0; i < 8 && ResumeThread(thread) > 1; ++i) {
    }
}

// Ends a child that is still running at the bound, then collects what it left.
ProgramRun Collect(Child* child, bool started)
{
    ProgramRun run;
    run.started = started;
    run.startError = child->startError;
    if (started) {
        run.finished = WaitForSingleObject(child->process.hProcess, 0) == WAIT_OBJECT_0;
        if (!run.finished) {
            TerminateProcess(child->process.hProcess, 1);
            WaitForSingleObject(child->process.hProcess, 5000);
        }
        GetExitCodeProcess(child->process.hProcess, &run.exitCode);
        CloseHandle(child->process.hThread);
        CloseHandle(child->process.hProcess);
    }
    if (child->output != INVALID_HANDLE_VALUE) CloseHandle(child->output);
    run.output = ReadFileBytes(child->outputPath);
    return run;
}

}  // namespace

std::vector<ProgramRun> RunTogether(const std::vector<ProgramLaunch>& launches, const std::string& outputFolder,
                                    DWORD boundMs)
{
    std::vector<Child> children(launches.size());
    std::vector<bool> started(launches.size());
    std::vector<HANDLE> running;
    for (size_t i = 0; i < launches.size(); ++i) {
        children[i].outputPath = outputFolder + "\\stdout-" + std::to_string(i) + ".txt";
        started[i] = StartSuspended(launches[i], &children[i]);
        if (started[i]) running.push_back(children[i].process.hProcess);
    }
    for (size_t i = 0; i < launches.size(); ++i) {
        if (started[i]) ResumeFully(children[i].process.hThread);
    }
    if (!running.empty()) WaitForMultipleObjects(static_cast<DWORD>(running.size()), running.data(), TRUE, boundMs);

    std::vector<ProgramRun> runs;
    for (size_t i = 0; i < launches.size(); ++i) runs.push_back(Collect(&children[i], started[i]));
    return runs;
}
