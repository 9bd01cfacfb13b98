#include "tests/harness/registeredservice.h"

#include <gtest/gtest.h>

#include "tests/harness/testfolder.h"

namespace {

const DWORD kPollMs = 50;

std::string UniqueName()
{
    static int counter = 0;
    return "zst" + std::to_string(GetCurrentProcessId()) + "x" + std::to_string(++counter);
}

}  // namespace

RegisteredService::RegisteredService(const std::string& arguments) : RegisteredService(arguments, std::string()) {}

RegisteredService::RegisteredService(const std::string& arguments, const std::string& name)
{
    manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager_ == nullptr) {
        ADD_FAILURE() << "OpenSCManager failed: " << GetLastError();
        return;
    }
    // Process ids come back: a service that an earlier process of this id left registered
    // (killed before it could delete it) is left alone, and the next unique name taken.
    const int kTries = 100;
    DWORD error = 0;
    for (int attempt = 1; attempt <= kTries; ++attempt) {
        error = Register(arguments, name.empty() ? UniqueName() : name);
        if (error != ERROR_SERVICE_EXISTS || !name.empty()) break;
    }
    if (error != 0) ADD_FAILURE() << "CreateService " << name_ << " failed: " << error;
}

DWORD RegisteredService::Register(const std::string& arguments, const std::string& name)
{
    name_ = name;
    std::string binary = "\"" + BesideThisProgram("zstartup_testservice.exe") + "\"";
    if (!arguments.empty()) binary += " " + arguments;
    service_ = CreateServiceA(manager_, name_.c_str(), name_.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                              SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, binary.c_str(), nullptr, nullptr, nullptr,
                              nullptr, nullptr);
    return service_ == nullptr ? GetLastError() : 0;
}

RegisteredService::~RegisteredService()
{
    if (service_ != nullptr) {
        StopOrKill();
        DeleteService(service_);
        CloseServiceHandle(service_);
    }
    if (manager_ != nullptr) CloseServiceHandle(manager_);
}

void RegisteredService::Configure(DWORD startType, const std::string& displayName, const std::string& dependsOn)
{
    const std::string dependencies = dependsOn + '\0';  // a list: names, then an empty one
    if (!ChangeServiceConfigA(service_, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr, nullptr, nullptr,
                              dependsOn.empty() ? nullptr : dependencies.c_str(), nullptr, nullptr,
                              displayName.empty() ? nullptr : displayName.c_str()))
        ADD_FAILURE() << "ChangeServiceConfig " << name_ << " failed: " << GetLastError();
}

void RegisteredService::RunAs(const std::string& account)
{
    if (!ChangeServiceConfigA(service_, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, nullptr, nullptr,
                              nullptr, nullptr, account.c_str(), "", nullptr))
        ADD_FAILURE() << "ChangeServiceConfig " << name_ << " to run as " << account << " failed: " << GetLastError();
}

DWORD RegisteredService::StartAndWaitRunning()
{
    // Wine's service manager now and then cannot create a service's process on a loaded machine
    // (ERROR_INTERNAL_ERROR, the service never ran, seen once in 650 tests): the set-up tries
    // again, as the harness does for its own programs.
    DWORD error = Start();
    for (int retry = 0; retry < 2 && error == ERROR_INTERNAL_ERROR; ++retry) {
        Sleep(200);
        error = Start();
    }
    if (error != 0) return error;
    return WaitForState(SERVICE_RUNNING, 20000) ? 0 : WAIT_TIMEOUT;
}

DWORD RegisteredService::Start() { return StartServiceA(service_, 0, nullptr) ? 0 : GetLastError(); }

DWORD RegisteredService::SendStop()
{
    SERVICE_STATUS status = {};
    return ControlService(service_, SERVICE_CONTROL_STOP, &status) ? 0 : GetLastError();
}

DWORD RegisteredService::State()
{
    SERVICE_STATUS status = {};
    return QueryServiceStatus(service_, &status) ? status.dwCurrentState : 0;
}

bool RegisteredService::WaitForState(DWORD state, DWORD timeoutMs)
{
    for (DWORD waited = 0; State() != state; waited += kPollMs) {
        if (waited >= timeoutMs) return false;
        Sleep(kPollMs);
    }
    return true;
}

// A service that refuses the stop, dies or hangs while pending is ended by its process id.
void RegisteredService::StopOrKill()
{
    SERVICE_STATUS status = {};
    if (State() == SERVICE_STOPPED) return;
    if (ControlService(service_, SERVICE_CONTROL_STOP, &status) && WaitForState(SERVICE_STOPPED, 5000)) return;
    SERVICE_STATUS_PROCESS process = {};
    DWORD needed = 0;
    if (QueryServiceStatusEx(service_, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&process), sizeof process,
                             &needed) &&
        process.dwProcessId != 0) {
        HANDLE handle = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process.dwProcessId);
        if (handle != nullptr) {
            TerminateProcess(handle, 1);
            WaitForSingleObject(handle, 5000);
            CloseHandle(handle);
        }
    }
    WaitForState(SERVICE_STOPPED, 5000);
}
