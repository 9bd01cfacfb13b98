#include "tests/windows/windowsonly.h"

#include <windows.h>

#include "helpers/procaddress.h"

std::string WineVersion()
{
    typedef const char*(__cdecl * GetVersion)();
    const GetVersion version = ProcAddress<GetVersion>(GetModuleHandleA("ntdll.dll"), "wine_get_version");
    return version != nullptr ? version() : std::string();
}

void WindowsOnlyTest::SetUp()
{
    const std::string wine = WineVersion();
    if (!wine.empty()) GTEST_SKIP() << kSkippedUnderWine << " (Wine " << wine << "): " << why_;
}
