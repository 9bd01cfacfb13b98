#include "checker/plan/platformcheck.h"

#include <windows.h>

#include "helpers/uniqueany.h"

namespace {

bool SixtyFourBitWindows()
{
#ifdef _WIN64
    return true;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

}  // namespace

bool RunsElevated()
{
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put())) return false;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    return GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

void CheckPlatform(const LauncherTarget& target, CheckReport& report)
{
    if (!RunsElevated()) {
        report.Warning("platform.not-elevated", "zStartupCheck",
                       "this check runs without elevation: the launcher needs the rights of the scheduled task with "
                       "highest privileges, and findings about rights here are this account's; run it elevated");
    }
    DWORD type = 0;
    if (target.reading == PathReading::kRead && GetBinaryTypeA(target.path, &type) && type == SCS_32BIT_BINARY &&
        SixtyFourBitWindows()) {
        report.Note("platform.32-bit-on-64-bit", Utf8Text(target.displayPath),
                    Utf8Text("launcher " + target.displayPath +
                             " is the 32-bit build on 64-bit Windows: its batch file runs under the 32-bit command "
                             "processor, with System32 and registry redirection; the 64-bit build avoids it"));
    }
}
