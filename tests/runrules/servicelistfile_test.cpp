// The hold on the service list, against the real file system: what another program can still
// do to the list while the launcher reads it, and that the profile reader's own opens still
// succeed beside the hold. Windows does not document the share mode of its profile reader; run
// on Windows, ProfileReaderReadsBesideTheHold shows whether it opens the file as Wine's does.
#include <windows.h>

#include <gtest/gtest.h>

#include "runrules/servicelistfile.h"
#include "tests/harness/testfolder.h"
#include "tests/harness/widetext.h"

namespace {

enum class Attempt { kOpen, kDelete, kRename, kLockOneByte };

struct OtherProgramCase {
    const char* name;
    Attempt attempt;
    DWORD access;  // for kOpen and kLockOneByte
    DWORD share;
    DWORD error;  // 0: allowed
};

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The errors are Windows' documented ones: a sharing violation (32) for an open or a name
// change that the hold's share mode (read only) refuses, a lock violation (33) for a range
// that overlaps a lock of another handle.
// clang-format off
const OtherProgramCase kCases[] = {
    {"OpenSharingNothingIsRefused", Attempt::kOpen, GENERIC_READ, 0, ERROR_SHARING_VIOLATION},
    {"OpenForWritingIsRefused", Attempt::kOpen, GENERIC_WRITE, kShareAll, ERROR_SHARING_VIOLATION},
    {"OpenForAppendingIsRefused", Attempt::kOpen, FILE_APPEND_DATA, kShareAll, ERROR_SHARING_VIOLATION},
    {"DeleteIsRefused", Attempt::kDelete, 0, 0, ERROR_SHARING_VIOLATION},
    {"RenameIsRefused", Attempt::kRename, 0, 0, ERROR_SHARING_VIOLATION},
    {"ExclusiveLockPastTheEndIsRefused", Attempt::kLockOneByte, GENERIC_READ, kShareAll, ERROR_LOCK_VIOLATION},
    {"ReaderSharingReadIsLetIn", Attempt::kOpen, GENERIC_READ, FILE_SHARE_READ, 0},
};
// clang-format on

// 0 or the error of what another program attempts on the file at path.
DWORD Try(const OtherProgramCase& row, const std::wstring& path)
{
    if (row.attempt == Attempt::kDelete) return DeleteFileW(path.c_str()) ? 0 : GetLastError();
    if (row.attempt == Attempt::kRename) return MoveFileW(path.c_str(), (path + L".old").c_str()) ? 0 : GetLastError();
    HANDLE file =
        CreateFileW(path.c_str(), row.access, row.share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    DWORD error = 0;
    if (row.attempt == Attempt::kLockOneByte) {
        OVERLAPPED farOut = {};
        farOut.Offset = 100000;
        if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &farOut))
            error = GetLastError();
    }
    CloseHandle(file);
    return error;
}

class ListHold : public ::testing::TestWithParam<OtherProgramCase> {
protected:
    TestFolder folder_;
};

TEST_P(ListHold, WhatAnotherProgramMayDoWhileTheListIsRead)
{
    folder_.Write("Services.ini", "[STOP]\r\n0=Spooler\r\n");
    const std::wstring path = Wide(folder_.PathOf("Services.ini"));
    const HeldServiceList held(path.c_str());
    ASSERT_EQ(held.File().state, ListFileState::kReadable);
    EXPECT_EQ(Try(GetParam(), path), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(ServiceListFile, ListHold, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<OtherProgramCase>& info) { return info.param.name; });

TEST(ServiceListFile, ProfileReaderReadsBesideTheHold)
{
    TestFolder folder;
    folder.Write("Services.ini", "[STOP]\r\n0=Spooler\r\n");
    const std::wstring path = Wide(folder.PathOf("Services.ini"));
    const HeldServiceList held(path.c_str());
    wchar_t value[16] = L"";
    EXPECT_EQ(GetPrivateProfileStringW(L"STOP", L"0", L"", value, 16, path.c_str()), 7u);
    EXPECT_STREQ(value, L"Spooler");
}

TEST(ServiceListFile, HoldEndsWithTheObject)
{
    TestFolder folder;
    folder.Write("Services.ini", "[STOP]\r\n0=Spooler\r\n");
    const std::wstring path = Wide(folder.PathOf("Services.ini"));
    {
        const HeldServiceList held(path.c_str());
    }
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE) << GetLastError();
    OVERLAPPED start = {};
    EXPECT_TRUE(LockFileEx(writer, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start))
        << "the hold's lock outlived it: " << GetLastError();
    CloseHandle(writer);
}

}  // namespace
