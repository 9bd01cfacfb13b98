// When Windows last started, decided on constructed times: the tick count dates the last full
// boot, and a newer start the boot loader recorded (a Fast Startup power-on, which the tick count
// runs on across) comes after it. Times come from the platform's own calendar conversion.
#include <windows.h>

#include <gtest/gtest.h>

#include "checker/lastrun/windowsstart.h"

namespace {

ULONGLONG At(WORD day, WORD hour)
{
    const SYSTEMTIME time = {2026, 12, 0, day, hour, 0, 0, 0};
    FILETIME file;
    EXPECT_TRUE(SystemTimeToFileTime(&time, &file));
    return (static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

const ULONGLONG kHourMs = 3600 * 1000;

struct StartCase {
    const char* name;
    ULONGLONG sinceBootMs;
    ULONGLONG loaderStart;  // 0: none recorded
    ULONGLONG expected;
};

// Now is 9 December, 12:00 UTC throughout.
// clang-format off
const StartCase kCases[] = {
    {"NoLoaderStartIsTheFullBoot", 50 * kHourMs, 0, At(7, 10)},
    {"FastStartupPowerOnAfterTheFullBoot", 50 * kHourMs, At(9, 8), At(9, 8)},
    {"LoaderStartOfTheFullBootItself", 3 * kHourMs, At(9, 9), At(9, 9)},
    {"LoaderStartOfAnEarlierBootIsOlderThanTheTicks", 2 * kHourMs, At(8, 22), At(9, 10)},
    {"LoaderStartAfterNowIsIgnored", 2 * kHourMs, At(9, 13), At(9, 10)},
};
// clang-format on

class WindowsStart : public ::testing::TestWithParam<StartCase> {};

TEST_P(WindowsStart, IsTheLaterOfBootAndLoaderStart)
{
    const StartCase& row = GetParam();
    EXPECT_EQ(LaterStart(At(9, 12), row.sinceBootMs, row.loaderStart), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Checker, WindowsStart, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<StartCase>& info) { return info.param.name; });

}  // namespace
