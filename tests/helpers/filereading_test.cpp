// Reading a file that another program holds open, as the launcher holds its log (write access,
// sharing read) or as a program that may delete or rename it does (delete access, sharing
// everything): Windows lets an open succeed only when its share mode admits the access the
// other handles hold, and theirs admit its own ("Creating and Opening Files").
#include <windows.h>

#include <gtest/gtest.h>

#include "helpers/filereading.h"
#include "tests/harness/testfolder.h"

namespace {

const char kBytes[] = "[zStartup] started\r\n";

struct HolderCase {
    const char* name;
    DWORD access;
    DWORD shareMode;
};

const HolderCase kHolders[] = {
    {"TheLauncherWritingItsLog", GENERIC_WRITE, FILE_SHARE_READ},
    {"AProgramThatMayDeleteIt", GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
};

class FileHeldBy : public ::testing::TestWithParam<HolderCase> {
protected:
    TestFolder folder_;
};

TEST_P(FileHeldBy, IsReadWhole)
{
    folder_.Write("held.log", kBytes);
    const std::string path = folder_.PathOf("held.log");
    HANDLE holder = CreateFileA(path.c_str(), GetParam().access, GetParam().shareMode, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    char bytes[64] = {};
    DWORD count = 0;
    EXPECT_EQ(ReadFileStart(path.c_str(), bytes, sizeof bytes, count), 0u);
    EXPECT_EQ(std::string(bytes, count), kBytes);
    CloseHandle(holder);
}

INSTANTIATE_TEST_SUITE_P(Helpers, FileHeldBy, ::testing::ValuesIn(kHolders),
                         [](const ::testing::TestParamInfo<HolderCase>& info) { return info.param.name; });

TEST(ReadAtOffset, PastTheEndIsAnErrorNotAShortRead)
{
    TestFolder folder;
    folder.Write("short.log", kBytes);
    DWORD error = 0;
    const UniqueFile file = OpenForReading(folder.PathOf("short.log").c_str(), error);
    ASSERT_TRUE(file) << error;
    char bytes[8] = {};
    EXPECT_EQ(ReadAt(file.Get(), 11, bytes, 7), 0u);
    EXPECT_EQ(std::string(bytes, 7), "started");
    EXPECT_EQ(ReadAt(file.Get(), 15, bytes, 8), static_cast<DWORD>(ERROR_HANDLE_EOF));
}

}  // namespace
