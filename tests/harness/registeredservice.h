// RegisteredService: one instance of the test service registered with the service control
// manager under a name unique to this process, stopped (or killed) and deleted when the object
// goes.
#ifndef ZSTARTUP_TESTS_HARNESS_REGISTEREDSERVICE_H
#define ZSTARTUP_TESTS_HARNESS_REGISTEREDSERVICE_H

#include <windows.h>

#include <string>

class RegisteredService {
public:
    // arguments: the test service's options (see tests/testservice/serviceoptions.h).
    // Registration failure fails the current test.
    explicit RegisteredService(const std::string& arguments = "");
    // The same under a name of the test's choosing, which it must keep unique (empty: a name
    // unique to this process, as above).
    RegisteredService(const std::string& arguments, const std::string& name);
    ~RegisteredService();
    RegisteredService(const RegisteredService&) = delete;  // owns the registration
    RegisteredService& operator=(const RegisteredService&) = delete;

    const std::string& Name() const { return name_; }

    // StartServiceA, then waits up to 20 s for RUNNING: 0, the start error, or WAIT_TIMEOUT.
    DWORD StartAndWaitRunning();
    // The start request or the stop control alone, without waiting: 0 or the error.
    DWORD Start();
    DWORD SendStop();
    // The current state (SERVICE_STOPPED...), 0 when it cannot be queried.
    DWORD State();
    // Polls until the state is reached: true, or false after timeoutMs.
    bool WaitForState(DWORD state, DWORD timeoutMs);
    // ChangeServiceConfigA: SERVICE_NO_CHANGE and empty texts leave a setting as it is;
    // dependsOn names one service. Failure fails the current test.
    void Configure(DWORD startType, const std::string& displayName = "", const std::string& dependsOn = "");
    // ChangeServiceConfigA's account ("NT AUTHORITY\LocalService", ".\user"...), with an empty
    // password: Wine keeps and reports it, and still runs the service as its own user.
    // Failure fails the current test.
    void RunAs(const std::string& account);

private:
    // CreateServiceA under name, which becomes Name(): 0 or the error.
    DWORD Register(const std::string& arguments, const std::string& name);
    void StopOrKill();

    std::string name_;
    SC_HANDLE manager_ = nullptr;
    SC_HANDLE service_ = nullptr;
};

#endif
