// WindowsOnlyTest: the fixture of the tests that compare the project's own decisions with
// Windows' answers. Wine answers these calls otherwise or not at all, so under Wine each such
// test is skipped, saying so and why.
#ifndef ZSTARTUP_TESTS_WINDOWS_WINDOWSONLY_H
#define ZSTARTUP_TESTS_WINDOWS_WINDOWSONLY_H

#include <gtest/gtest.h>

#include <string>

// Wine's version when this program runs under Wine (ntdll exports wine_get_version there and
// nowhere on Windows); "" on Windows.
std::string WineVersion();

// The text a skipped test prints; the tests' CMakeLists has CTest count a program whose output
// holds it as skipped.
const char kSkippedUnderWine[] = "needs Windows, skipped under Wine";

class WindowsOnlyTest : public ::testing::Test {
protected:
    // why: what Wine does not show, printed with the skip.
    explicit WindowsOnlyTest(const char* why) : why_(why) {}
    void SetUp() override;

private:
    const char* why_;
};

#endif
