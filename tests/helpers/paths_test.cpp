// FolderOf by Windows' path rules: "C:" alone names the drive's current folder, so a drive's
// root is "C:\"; a share's root is "\\server\share\" ("Naming Files, Paths, and Namespaces").
#include <gtest/gtest.h>

#include <string>

#include "helpers/paths.h"

namespace {

struct FolderCase {
    const char* name;
    std::string path;
    std::string folder;
};

// clang-format off
const FolderCase kFolderCases[] = {
    {"FileInAFolder", "C:\\Show\\zStartup.exe", "C:\\Show"},
    {"FileAtADrivesRoot", "C:\\zStartup.exe", "C:\\"},
    {"FolderAtADrivesRoot", "C:\\Show", "C:\\"},
    {"FileAtAShareRoot", "\\\\server\\share\\zStartup.exe", "\\\\server\\share\\"},
    {"FileInAShareFolder", "\\\\server\\share\\Show\\zStartup.exe", "\\\\server\\share\\Show"},
    {"NameAlone", "zStartup.exe", ""},
};
// clang-format on

class FolderOfPath : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderOfPath, KeepsOnlyARootsBackslash) { EXPECT_EQ(FolderOf(GetParam().path), GetParam().folder); }

INSTANTIATE_TEST_SUITE_P(Helpers, FolderOfPath, ::testing::ValuesIn(kFolderCases),
                         [](const ::testing::TestParamInfo<FolderCase>& info) { return info.param.name; });

}  // namespace
