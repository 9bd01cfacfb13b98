// Which failures mean that another handle holds the log, on constructed error codes: Wine's
// WriteFile ignores byte-range locks, so a write refused by one (33) is seen only on Windows.
// Meanings as Microsoft's "System Error Codes (0-499)" give them.
#include <windows.h>

#include <gtest/gtest.h>

#include "lowtracessupport/logfile.h"

namespace {

struct ErrorCase {
    const char* name;
    DWORD error;
    bool held;
};

// clang-format off
const ErrorCase kCases[] = {
    {"SharingViolationFromTheOpen", 32, true},
    {"LockViolationFromAWriteIntoALockedRange", 33, true},
    {"AccessDeniedIsNoHold", 5, false},
    {"InvalidHandleIsNoHold", 6, false},
    {"DiskFullIsNoHold", 112, false},
};
// clang-format on

class LogHeld : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(LogHeld, OnlyAnotherHandlesHoldIsWaitedFor) { EXPECT_EQ(LogHeldByAnother(GetParam().error), GetParam().held); }

INSTANTIATE_TEST_SUITE_P(LowTracesSupport, LogHeld, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

}  // namespace
