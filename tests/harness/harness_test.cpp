// The harness's unique names across processes: Wine gives a process id again soon after its
// process ends, and an earlier process of the same id may have left its folder (a batch file
// still running in it) or its service (killed before it could delete it).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/harness/registeredservice.h"
#include "tests/harness/testfolder.h"

namespace {

// The name that follows a unique name "<stem><n>" of this process: "<stem><n+1>".
std::string NextName(const std::string& name)
{
    const size_t digits = name.find_last_not_of("0123456789") + 1;
    return name.substr(0, digits) + std::to_string(std::stoi(name.substr(digits)) + 1);
}

TEST(ReusedProcessId, FolderLeftByAnEarlierProcessIsKeptAndAnotherTaken)
{
    TestFolder first;
    const std::string left = NextName(first.Path());
    ASSERT_TRUE(CreateDirectoryA(left.c_str(), nullptr)) << left << ": " << GetLastError();
    const std::string leftFile = left + "\\left.txt";
    HANDLE file = CreateFileA(leftFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    {
        TestFolder second;
        EXPECT_NE(second.Path(), left);
        EXPECT_NE(GetFileAttributesA(second.Path().c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_NE(GetFileAttributesA(leftFile.c_str()), INVALID_FILE_ATTRIBUTES) << "the earlier process's folder";
    DeleteFileA(leftFile.c_str());
    RemoveDirectoryA(left.c_str());
}

TEST(ReusedProcessId, ServiceLeftByAnEarlierProcessIsKeptAndAnotherTaken)
{
    RegisteredService first;
    const std::string left = NextName(first.Name());
    RegisteredService leftBehind("", left);
    {
        RegisteredService second;
        EXPECT_NE(second.Name(), left);
        EXPECT_EQ(second.State(), static_cast<DWORD>(SERVICE_STOPPED)) << "registered: " << second.Name();
    }
    EXPECT_EQ(leftBehind.State(), static_cast<DWORD>(SERVICE_STOPPED)) << "the earlier process's service";
}

}  // namespace
